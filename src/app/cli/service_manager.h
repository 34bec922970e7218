#pragma once
// The station under systemd: its messages carry the journal's priority, and it says when it is
// ready (a service of Type=notify gets its reload only then).
#include <string>

#include "forward/status_level.h"

namespace orv::cli {

// True when standard error goes to the journal: JOURNAL_STREAM names its device and inode.
bool StandardErrorIsJournal();

// The syslog priority prefix of a message line for the journal: "<3>" error, "<4>" warning,
// "<6>" status.
std::string JournalPrefix(StatusLevel level);

// Sends `state` ("READY=1", "STOPPING=1") to the service manager's socket (NOTIFY_SOCKET);
// nothing when there is none.
void NotifyServiceManager(const std::string& state);

}  // namespace orv::cli

// IsListenAddress, apart from the parser: it needs Qt Network, which commands that take no
// address do not load.
#include <QHostAddress>

#include "app/cli/cli_args.h"

namespace orv::cli {

bool IsListenAddress(const std::string& text) {
    QHostAddress address;
    return address.setAddress(QString::fromStdString(text));
}

}  // namespace orv::cli

#pragma once
// How much a status line of the station matters to its operator. The headless station gives the
// journal its priority from it (error, warning, info).
namespace orv {

enum class StatusLevel {
    Status,   // how things go: connected, serving, writing again
    Warning,  // something to look at that loses nothing yet: a link down and retried, frames skipped
    Error,    // something lost or stopped: blocks not written, an input gone, a refusal
};

}  // namespace orv

#pragma once

namespace velmora {

class VelmoraApp;

/// Turns SIGINT and SIGTERM into an orderly end of the application, read from
/// a signalfd on the event loop: a terminal's Ctrl+C or a session's end writes
/// the recovery copies and closes every window without asking (see
/// `VelmoraApp::terminate`). Make it before the QApplication, so that every
/// thread Qt starts inherits the blocked signals.
class TerminationSignals {
public:
    TerminationSignals();
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    /// From now on, the signals end `app`, which must outlive this object.
    void deliverTo(VelmoraApp& app) const;

private:
    int fd_;  ///< the signalfd; -1 when the signals could not be blocked
};

}  // namespace velmora

#pragma once

namespace korvida {

class CSCSIDriver;
class MessageTarget;

// Who a job talks to. The targets must outlive the job's handle, or be closed before
// it is stopped.
struct JobParties {
    CSCSIDriver* driver = nullptr;            // rips only
    MessageTarget* progressWindow = nullptr;  // progress, status and the end message
    MessageTarget* mainWindow = nullptr;      // job-log lines and the current track
};

}  // namespace korvida

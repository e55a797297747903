#include "support/testhost.h"

#include "platform/recordinghost.h"

RecordingHost *installRecordingHost()
{
    auto host = std::make_unique<RecordingHost>();
    RecordingHost *recording = host.get();
    platform::setHost(std::move(host));
    return recording;
}

#pragma once

class RecordingHost;

// Installs a RecordingHost for the rest of the test program and returns it. Dialogs without a
// scripted answer then open for real, for a DialogDriver to answer.
RecordingHost *installRecordingHost();

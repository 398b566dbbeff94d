// Modal message boxes with one OK button. Without a display the box becomes the line
// "caption: text" on standard error, so that no headless run can hang on one.
#pragma once
#include <string>
#include <vector>

namespace platform {

void messageBox(const char* text, const char* caption);

// True when the process runs in a desktop session that can show a box (a display server on
// Linux); one per backend.
bool desktopSessionPresent();

// Headless: never try to open a box (render, bench and tool runs).
void setMessageBoxesHeadless(bool headless);

struct RecordedMessage {
    std::string caption;
    std::string text;
};

// While an instance lives, boxes are recorded instead of shown (tests and tools).
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;
    const std::vector<RecordedMessage>& messages() const { return messages_; }
    void clear() { messages_.clear(); }

private:
    friend void messageBox(const char*, const char*);
    std::vector<RecordedMessage> messages_;
    MessageRecorder* previous_;
};

}  // namespace platform

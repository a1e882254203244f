#pragma once

#include "uGlobal/errors.h"

#include <string>
#include <string_view>
#include <vector>

namespace trassolin {

// The three kinds of modal box the windows show; the core only names the kind.
enum class MessageKind { Information, Warning, Error };

// How the core tells the user something. The core never prints or shows anything itself:
// the command line writes these to stderr, the window shows a message box, tests collect them.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void show(MessageKind kind, std::string_view text) = 0;
    // A failure that stops an operation. The window shows its text as it stands; the command
    // line knows the files involved and adds them.
    virtual void showError(const TrassolinError& error) { show(MessageKind::Error, error.what()); }
};

struct Message {
    MessageKind kind;
    std::string text;
    friend bool operator==(const Message&, const Message&) = default;
};

class CollectingMessageSink final : public MessageSink {
public:
    void show(MessageKind kind, std::string_view text) override {
        messages.push_back({kind, std::string(text)});
    }
    std::vector<Message> messages;
};

// Where the generation run and the edge listings append their report lines.
class StatusLog {
public:
    virtual ~StatusLog() = default;
    virtual void clear() = 0;
    virtual void append(std::string_view line) = 0;
};

class CollectingStatusLog final : public StatusLog {
public:
    void clear() override { lines.clear(); }
    void append(std::string_view line) override { lines.emplace_back(line); }
    std::vector<std::string> lines;
};

} // namespace trassolin

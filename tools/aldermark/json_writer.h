#pragma once
// A small JSON writer for the host's reports. Output is plain ASCII: strings are escaped,
// characters beyond ASCII become \u escapes, and bytes that are not valid UTF-8 (plug-ins
// often answer in a Windows code page) are read as Latin-1. Non-finite numbers become null.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace aldermark {

// Appends `text` as a quoted JSON string.
void appendJsonString(std::string& out, std::string_view text);

class JsonWriter {
public:
    // Compact containers are written on one line; others put each member on its own line.
    void beginObject(bool compact = false) { open('{', compact); }
    void endObject() { close('}'); }
    void beginArray(bool compact = false) { open('[', compact); }
    void endArray() { close(']'); }

    // Names the next member of the current object.
    void key(std::string_view name);
    void value(std::string_view text);
    void value(const char* text) { value(std::string_view(text)); }
    void value(bool flag);
    void value(std::int64_t number);
    void value(int number) { value(static_cast<std::int64_t>(number)); }
    void value(double number);
    void value(float number);
    void nullValue();
    // key(name) followed by value(v).
    template <typename Value>
    void member(std::string_view name, const Value& v) {
        key(name);
        value(v);
    }

    // The document; call once every container is closed.
    const std::string& text() const { return out_; }

private:
    struct Level {
        bool compact;
        bool empty;
    };
    void open(char bracket, bool compact);
    void close(char bracket);
    void beforeValue();
    void newline();

    std::string out_;
    std::vector<Level> levels_;
    bool afterKey_ = false;  // a key was written and waits for its value
};

}  // namespace aldermark

// A small streaming JSON writer for the tool's machine-readable output.
// Commas and nesting are tracked by the writer; numbers are written with the
// shortest text that reads back as the same value (non-finite ones as null);
// strings are escaped (quotes, backslash, control characters) and passed as
// UTF-8, with bytes that are not valid UTF-8 written as U+FFFD.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class JsonWriter {
public:
    // `indent` > 0 puts every member on its own line, indented by that many
    // spaces per level; 0 writes one line.
    explicit JsonWriter(int indent = 0) : indent_(indent) {}

    JsonWriter& BeginObject() { return Open(true); }
    JsonWriter& EndObject() { return Close('}'); }
    JsonWriter& BeginArray() { return Open(false); }
    JsonWriter& EndArray() { return Close(']'); }
    // The name of the next member of the current object.
    JsonWriter& Key(std::string_view name);

    JsonWriter& String(std::string_view text);
    JsonWriter& Number(double value);
    JsonWriter& Number(float value); // shortest text of the float itself
    JsonWriter& Int(int64_t value);
    JsonWriter& UInt(uint64_t value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();

    // The text so far; complete once every object and array is closed.
    const std::string& str() const { return out_; }
    bool complete() const { return stack_.empty() && wroteValue_; }

    // `text` as a JSON string literal, quotes included.
    static std::string Quote(std::string_view text);

private:
    JsonWriter& Open(bool object);
    JsonWriter& Close(char bracket);
    void BeforeValue();
    void NewLine();

    struct Level {
        bool object;
        bool empty;
    };
    std::string out_;
    std::vector<Level> stack_;
    int indent_;
    bool afterKey_ = false;
    bool wroteValue_ = false;
};

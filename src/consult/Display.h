// Writes numbers into display fields by the display rule and hands back the
// value as shown, so that later steps compute from exactly what the window
// shows.
#pragma once

#include "consult/Outputs.h"

#include <cstdint>
#include <string_view>

namespace nutrovo {

class TextSink {
public:
    virtual ~TextSink() = default;
    virtual void write(Output field, std::string_view text) = 0;
};

class Display {
public:
    explicit Display(TextSink &sink) : sink_(sink) {}

    double integer(Output field, std::int64_t value);
    double number(Output field, double value);
    void word(Output field, std::string_view text);

private:
    TextSink &sink_;
};

} // namespace nutrovo

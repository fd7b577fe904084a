#pragma once

#include <string>

#include "menu/string_item.hpp"

// A text field: shows its label followed by a string owned elsewhere, and
// types into that string while selected.
class StringEditItem : public StringItem {
public:
    // At x = 0.
    StringEditItem(std::string label, std::string& value, double y, double text_height, bool multiline);
    StringEditItem(std::string label, std::string& value, Vector2 position, double text_height, bool multiline);

    // Printable keys (Shift raises letters only), Backspace, and Return when
    // the field takes several lines.
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;

    std::string label;
    std::string& value;
    bool multiline;

protected:
    // For fields that own their value and build it after this part: lays out
    // `shown` without reading `value` yet.
    StringEditItem(std::string label, std::string& value, Vector2 position, double text_height, bool multiline,
                   const std::string& shown);
};

// A field that owns the string it edits; typed fields read their number or
// flag out of it.
class QuickHackString : public StringEditItem {
protected:
    QuickHackString(std::string label, Vector2 position, double text_height, std::string initial,
                    const std::string& shown_label);

    std::string buffer;
};

// A double typed as text. Text that does not start with a number leaves the
// double as it was.
class DoubleEditItem : public QuickHackString {
public:
    DoubleEditItem(std::string label, double& number, double y, double text_height);
    DoubleEditItem(std::string label, double& number, Vector2 position, double text_height);
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;

    double& number;
};

class IntEditItem : public QuickHackString {
public:
    IntEditItem(std::string label, int& number, double y, double text_height);
    IntEditItem(std::string label, int& number, Vector2 position, double text_height);
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;

    int& number;
};

// "yes" or "no", flipped by activation; typing does nothing.
class BoolEditItem : public QuickHackString {
public:
    BoolEditItem(std::string label, bool& flag, double y, double text_height);
    BoolEditItem(std::string label, bool& flag, Vector2 position, double text_height);
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;

    std::string bool_label;
    bool& flag;
};

#pragma once

#include <string>

#include "menu/string_item.hpp"
#include "storage/base_storage.hpp"

// What a text field takes unless told otherwise: well below the longest
// string a file can hold back (max_string_length), so that a field's text
// still reads back when something is joined to it (a score key is "R-" and
// the level name).
constexpr std::size_t max_field_bytes = 8000;

// A text field: shows its label followed by a string owned elsewhere, and
// types into that string while selected.
class StringEditItem : public StringItem {
public:
    // At x = 0.
    StringEditItem(std::string label, std::string& value, double y, double text_height, bool multiline);
    StringEditItem(std::string label, std::string& value, Vector2 position, double text_height, bool multiline);

    // Printable keys (Shift raises letters only), Backspace, and Return when
    // the field takes several lines. A character that would make the value
    // too long (fits()) is not taken, but the key is still handled.
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;

    std::string label;
    std::string& value;
    bool multiline;
    std::size_t max_bytes = max_field_bytes;

protected:
    // Whether the field may hold `candidate`.
    virtual bool fits(const std::string& candidate) const { return candidate.size() <= max_bytes; }

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

// A number typed as text. Text that does not start with a number leaves the
// number as it was.
template <typename Number>
class NumberEditItem : public QuickHackString {
public:
    NumberEditItem(std::string label, Number& number, double y, double text_height);
    NumberEditItem(std::string label, Number& number, Vector2 position, double text_height);
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;

    Number& number;
};

using DoubleEditItem = NumberEditItem<double>;
using IntEditItem = NumberEditItem<int>;

// "yes" or "no", flipped by activation; typing does nothing.
class BoolEditItem : public QuickHackString {
public:
    BoolEditItem(std::string label, bool& flag, double y, double text_height);
    BoolEditItem(std::string label, bool& flag, Vector2 position, double text_height);
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;

    std::string bool_label;
    bool& flag;
};

// The player's name: it takes only what still fits a file name once escaped.
class PlayerNameEditItem : public StringEditItem {
public:
    using StringEditItem::StringEditItem;

protected:
    bool fits(const std::string& candidate) const override;
};

// A field for a level's name: it takes only what a level name may hold
// (blanks at the ends while typing; the name is checked whole when used).
class LevelNameEditItem : public StringEditItem {
public:
    using StringEditItem::StringEditItem;

protected:
    bool fits(const std::string& candidate) const override;
};

#include "menu/string_edit_item.hpp"

#include <sstream>

#include "progress/file_name.hpp"
#include "storage/level_files.hpp"

namespace {

template <typename Number>
std::string format_number(Number number)
{
    std::ostringstream out;
    out << number;
    return out.str();
}

// Extraction into a scratch value, so that a failed read (or an overflow,
// which extraction turns into the type's limit) changes nothing.
template <typename Number>
void read_number(const std::string& text, Number& number)
{
    std::istringstream in(text);
    Number read{};
    if (in >> read)
        number = read;
}

const char* yes_no(bool flag)
{
    return flag ? "yes" : "no";
}

}  // namespace

StringEditItem::StringEditItem(std::string label_, std::string& value_, double y, double text_height_,
                               bool multiline_)
    : StringEditItem(std::move(label_), value_, Vector2(0, y), text_height_, multiline_)
{
}

StringEditItem::StringEditItem(std::string label_, std::string& value_, Vector2 position_, double text_height_,
                               bool multiline_)
    : StringItem(label_ + value_, true, text_height_, position_, 0.0),
      label(std::move(label_)),
      value(value_),
      multiline(multiline_)
{
}

StringEditItem::StringEditItem(std::string label_, std::string& value_, Vector2 position_, double text_height_,
                               bool multiline_, const std::string& shown)
    : StringItem(shown, true, text_height_, position_, 0.0), label(std::move(label_)), value(value_), multiline(multiline_)
{
}

bool StringEditItem::handle_event(const SDL_Event& event, double&, bool&)
{
    if (event.type != SDL_KEYDOWN)
        return false;
    const int key = event.key.keysym.sym;
    if (key >= 32 && key <= 126) {
        char c = static_cast<char>(key);
        if (c >= 'a' && c <= 'z' && (event.key.keysym.mod & (KMOD_LSHIFT | KMOD_RSHIFT)))
            c = static_cast<char>(c - 'a' + 'A');
        if (fits(value + c))
            value += c;
    } else if (key == SDLK_BACKSPACE) {
        if (!value.empty())
            value.pop_back();
    } else if (key == SDLK_RETURN && multiline) {
        if (fits(value + '\n'))
            value += '\n';
    } else {
        return false;
    }
    set_text(label + value, text_height);
    return true;
}

bool PlayerNameEditItem::fits(const std::string& candidate) const
{
    return name_fits_file_name(candidate);
}

QuickHackString::QuickHackString(std::string label_, Vector2 position_, double text_height_, std::string initial,
                                 const std::string& shown_label)
    // `buffer` is built after this base part: bind to it, lay out from `initial`.
    : StringEditItem(std::move(label_), buffer, position_, text_height_, false, shown_label + initial),
      buffer(std::move(initial))
{
}

template <typename Number>
NumberEditItem<Number>::NumberEditItem(std::string label_, Number& number_, double y, double text_height_)
    : NumberEditItem(std::move(label_), number_, Vector2(0, y), text_height_)
{
}

template <typename Number>
NumberEditItem<Number>::NumberEditItem(std::string label_, Number& number_, Vector2 position_, double text_height_)
    : QuickHackString(label_, position_, text_height_, format_number(number_), label_), number(number_)
{
}

template <typename Number>
bool NumberEditItem<Number>::handle_event(const SDL_Event& event, double& dt, bool& world_replaced)
{
    if (!StringEditItem::handle_event(event, dt, world_replaced))
        return false;
    read_number(buffer, number);
    return true;
}

template class NumberEditItem<double>;
template class NumberEditItem<int>;

BoolEditItem::BoolEditItem(std::string label_, bool& flag_, double y, double text_height_)
    : BoolEditItem(std::move(label_), flag_, Vector2(0, y), text_height_)
{
}

BoolEditItem::BoolEditItem(std::string label_, bool& flag_, Vector2 position_, double text_height_)
    : QuickHackString("", position_, text_height_, yes_no(flag_), label_), bool_label(std::move(label_)), flag(flag_)
{
}

bool BoolEditItem::handle_event(const SDL_Event& event, double&, bool&)
{
    if (!is_activation(event))
        return false;
    flag = !flag;
    buffer = yes_no(flag);
    set_text(bool_label + buffer, text_height);
    return true;
}

bool LevelNameEditItem::fits(const std::string& candidate) const
{
    std::string probe = candidate;
    for (char& c : probe)
        if (c == ' ')
            c = 'x';
    return probe.empty() || is_level_name(probe);
}

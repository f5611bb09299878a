#pragma once

#include <optional>

// The View menu's Text Size levels, as the web view's zoom command (OLECMDID_ZOOM) carries them:
// by their numbers, 0 (Smallest) to 4 (Largest), Medium the page as designed.
enum class TextSize : int { Smallest = 0, Small = 1, Medium = 2, Large = 3, Largest = 4 };

namespace TextSizes {
// The level of a number the command carried; nothing for a number that is none.
constexpr std::optional<TextSize> fromNumber(int number)
{
    if (number < int(TextSize::Smallest) || number > int(TextSize::Largest))
        return std::nullopt;
    return TextSize(number);
}

// A step up or down from a level, held at the ends.
constexpr TextSize stepped(TextSize level, int step)
{
    const int next = int(level) + step;
    return next < int(TextSize::Smallest)  ? TextSize::Smallest
           : next > int(TextSize::Largest) ? TextSize::Largest
                                           : TextSize(next);
}
} // namespace TextSizes

#pragma once

#include <string>
#include <string_view>

namespace tavelo {

// The advanced message dialog: returns the number of the button that closed it followed by
// " N" for each checked box, or the empty text when it has no buttons.
std::string run_parlon(std::string_view title, std::string_view message, int seconds,
                       std::string_view buttons, int default_button, std::string_view sound);

// The find box: the text to find, the replacement, the backward and replace-all flags separated
// by "ÿ", or the empty text when cancelled.
std::string run_findbox(bool find_only);

}  // namespace tavelo

// Reading a card profile (JSON) into the card engine's configuration.
#pragma once

#include "card.h"

#include <string>

namespace vcard {

// Throws std::runtime_error naming the offending entry. Content files named
// in the profile are read relative to the profile's directory.
CardConfig loadProfile(const std::string& path);
CardConfig parseProfile(const std::string& jsonText, const std::string& baseDir);

} // namespace vcard

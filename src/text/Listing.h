#pragma once

#include <span>
#include <string>
#include <vector>

#include "text/Texts.h"

// A heading and the items under it, one a line: a list in a message box.
struct Listing {
    Message heading;
    std::vector<Arg> items;  // each a name as it is, or a message
};

// Each listing's heading, a blank line and its items; listings a blank line apart.
inline std::string Render(std::span<const Listing> listings, const Texts& texts) {
    std::string text;
    for (const Listing& listing : listings) {
        if (!text.empty()) text += "\r\n\r\n";
        text += texts(listing.heading) + "\r\n";
        for (const Arg& item : listing.items) text += "\r\n" + texts.Value(item);
    }
    return text;
}

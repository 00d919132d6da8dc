#include <cstdio>

#include "library/LibraryReader.h"
#include "listing/CalendarTime.h"

namespace lorvex {

void LibraryReader::listEntries() {
    std::fputs("Listing entries...\n--\n", console_);
    if (!rewind()) return;
    int count = 0;
    while (next()) {
        const CalendarTime time = toLocalTime(current_.modificationTime);
        std::fprintf(console_, "%-50s%09u %02i.%02i.%04i %02i:%02i:%02i\n", current_.displayName,
                     static_cast<unsigned>(current_.listedSize), time.day, time.month, time.year,
                     time.hour, time.minute, time.second);
        ++count;
    }
    std::fprintf(console_, "--\nTotal objects: %i\n", count);
}

}  // namespace lorvex

#pragma once

#include <cstdint>
#include <string>

#include "extract/ByteSink.h"
#include "extract/CompanionClaims.h"
#include "extract/EntryLookup.h"
#include "library/LibraryReader.h"
#include "library/VisitedSet.h"

namespace lorvex {

// The exports of a library's sources in the form its own source control
// writes them, made one after the other in library order, as -s makes them:
// each source paired with the companion a named export of its display name
// pairs with it; sources may not share data blocks, and companions are
// claimed as CompanionClaims says, so all of them together show each block
// of the library once in text and at most three times in sections; a
// section is judged by the blocks of its own source.
class SourceExports {
public:
    // Walks the library once for the companions; not during another walk.
    explicit SourceExports(LibraryReader& reader);

    // The export of the source met at position in library order, into sink
    // (emptied first). False, with reason, when it is damaged or its
    // companion may not be shown; what could be read is in sink all the same.
    [[nodiscard]] bool write(CurrentEntry source, std::uint32_t position, StringSink& sink,
                             std::string& reason);

private:
    LibraryReader& reader_;
    VisitedSet blocks_;
    CompanionClaims companions_;
    const EntryLookup lookup_;
};

}  // namespace lorvex

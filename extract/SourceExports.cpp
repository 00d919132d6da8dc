#include "extract/SourceExports.h"

#include <optional>

#include "extract/ExportWriter.h"

namespace lorvex {

SourceExports::SourceExports(LibraryReader& reader)
    : reader_(reader),
      blocks_(reader.file().size(), DataBlock::kSize),
      companions_(reader.file()),
      lookup_(reader, {}, true) {}

bool SourceExports::write(CurrentEntry source, std::uint32_t position, StringSink& sink,
                          std::string& reason) {
    sink.bytes.clear();
    lookup_.pair(source, position, source.displayName);
    const std::uint32_t companion = source.companionFirstBlock;
    if (companion != 0 && !companions_.claim(companion, reason)) return false;
    // The section is judged by the blocks this source's own export reads, as a
    // named extraction judges it.
    std::optional<VisitedSet> own;
    if (companion != 0) own.emplace(reader_.file().size(), DataBlock::kSize);
    ExportWriter writer(reader_.file(), reader_.generation(), ExportForm::SourceControl);
    return writer.write(source, blocks_, sink, reason, own ? &*own : nullptr);
}

}  // namespace lorvex

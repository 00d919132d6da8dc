#pragma once

#include "library/LibraryFile.h"
#include "library/Records.h"

namespace lorvex {

// Signing an executable or DLL appends a certificate table, so the "TRL*"
// trailer of the library it carries no longer ends the file: it is in the 512
// bytes before that table, or before up to 7 zero bytes of alignment. True
// when the file is a PE image whose certificate table ends the file and such
// a trailer is there; trailer then holds it.
bool findTrailerBeforeCertificates(LibraryFile& file, TrailerRecord& trailer);

}  // namespace lorvex

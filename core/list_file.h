#pragma once
// The server list file LTV.xml: an XML data packet on one line, in the 8-bit code page.
// ServerTable's OpenList/SaveList/CloseList are built on these two functions.
#include <string>
#include <string_view>

#include "core/server_table.h"

namespace lantervo {

// The whole document for the table's fields and rows (rows in the order they entered it).
std::string WriteDataPacket(const ServerTable& table);

// Parses a document and opens `table` with its fields and rows. Throws Error with the
// engine's message (unprefixed) or the table's prefixed message; the table is untouched then.
void ReadDataPacket(std::string_view document, ServerTable& table);

// Escapes one attribute value (code page bytes) onto `out`.
void AppendEscaped(std::string& out, std::string_view bytes, const platform::CodePage& codePage);

}  // namespace lantervo

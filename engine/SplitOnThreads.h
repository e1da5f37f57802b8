// The script splitter (ScriptSplitter.h) on several threads, for long texts.
//
// After a terminator line a script reads as from its start, so a text cut
// just after lines that hold only "/" splits into the same pieces chunk by
// chunk as whole. The chunks are split at once, each as if the text began
// there; a chunk is taken as split only when the chunk before it (itself
// taken) ends with its terminator line exactly at the cut. From the first
// chunk that is not, the rest of the text is split in one pass, so the pieces
// are always those of SplitScript.
#pragma once

#include "ScriptSplitter.h"

#include <cstddef>
#include <string_view>
#include <vector>

// SplitScript(text), on up to threads threads for a text of 256 KB or more.
std::vector<CScriptPiece> SplitScriptOnThreads(std::u16string_view text, unsigned threads);

// The same with chunks of about chunkLength UTF-16 units, whatever the length
// of the text (for tests).
std::vector<CScriptPiece> SplitScriptInChunks(std::u16string_view text, size_t chunkLength, unsigned threads);

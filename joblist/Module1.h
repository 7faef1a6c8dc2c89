#pragma once

#include <cstdint>
#include <string>

// String functions over the Open dialog's multi-select result. The selection string is either the
// full path of one file, or the directory followed by the bare names, each separated by a single
// NUL character. Counts and positions are 16-bit: a string scanned here holds at most 32767
// characters, a longer one fails with an overflow.

// The number of files the selection names: its NUL count, or 1 when it has none.
std::int16_t CountSelectedFiles(std::u16string selection);

// The full path of the k-th file of the selection, counted from 1. A selection without a NUL is
// answered unchanged whatever k is; k = n + 1 answers the directory alone, and an index below 1
// or above n + 1 fails with an invalid procedure call.
std::u16string GetSelectedFile(std::u16string selection, std::int16_t k);

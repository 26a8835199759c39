// What the fuzz targets share: splitting one input into documents, and files
// for the parts of a run that read them by name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/tags.h"
#include "model/vocabulary.h"

// The entry point of every target, called once per input by the fuzzing
// engine or by the replay driver.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

// The input cut at its NUL bytes (a document holds none that a reader gets
// past), at most `parts` pieces; the last piece keeps any further NULs.
std::vector<std::string> split_input(const uint8_t* data, size_t size, size_t parts);

// A writable copy of `text` with a NUL after it, for the in-place readers.
std::vector<char> writable(const std::string& text);

// Writes `content` to the file `name` of a folder of this process's own
// (made once, removed at exit) and returns its path.
std::string scratch_file(const std::string& name, const std::string& content);

// The types every target declares: lower-case, capitalised, and names
// with bytes that tags treat specially.
name_table fuzz_types();

// Aborts unless the tags' positions never decrease and stay within `bare`.
void check_tag_order(const std::vector<simple_tag>& tags, const char* bare);

// Runs the program as a user would, through the command line `args` (the
// program's name first, no closing null), its output and messages thrown
// away; aborts unless the line asks for a run and the run ends with status 0
// or 1. The whole run's targets hold the search to a tenth of its default
// limit: the sanitizers slow it about tenfold, and this keeps an input that
// reaches the limit within the time allowed.
void run_command_line(std::vector<const char*> args);

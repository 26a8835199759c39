// Helpers shared by the unit tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/fatal.h"

// Runs `stmt`, which must end the run with a fatal_error of the given exit
// status and exactly the given message.
#define EXPECT_FATAL(stmt, expected_status, expected_text)                      \
  do {                                                                          \
    try {                                                                       \
      stmt;                                                                     \
      ADD_FAILURE() << "no fatal error from: " #stmt;                           \
    } catch (const fatal_error& fatal_caught_) {                                \
      EXPECT_EQ((expected_status), fatal_caught_.status) << fatal_caught_.text; \
      EXPECT_EQ(std::string(expected_text), fatal_caught_.text);                \
    }                                                                           \
  } while (0)

// A writable, NUL-terminated copy of a document text, for the in-place readers.
std::vector<char> doc_buffer(const std::string& text);

// Writes `content` to a new temporary file and returns its name; the caller
// removes it.
std::string temp_file(const std::string& content);

// Resets both vocabularies and declares the given entity types, in order.
void set_types(const std::vector<std::string>& names);

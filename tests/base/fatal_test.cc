// The choke point that turns a fault into its message and exit status.
#include "base/fatal.h"

#include <gtest/gtest.h>

#include <new>
#include <vector>

#include "support/test_support.h"

namespace {

int run_capturing(const std::function<void()>& body, std::string& message) {
  int status = -1;
  message = capture([&](FILE* err) { status = run_reporting_faults(err, body); });
  return status;
}

TEST(RunReportingFaults, EachFaultGivesItsMessageAndStatus) {
  std::string message;
  EXPECT_EQ(0, run_capturing([] {}, message));
  EXPECT_EQ("", message);

  EXPECT_EQ(2, run_capturing([] { fatal(2, "Open %s: %s\n", "ref.txt", "gone"); }, message));
  EXPECT_EQ("Open ref.txt: gone\n", message);

  EXPECT_EQ(1,
            run_capturing([] { fatal_at("hyp.txt", 3, 0, "Empty tag %s.\n", "pers"); }, message));
  EXPECT_EQ("hyp.txt:3:0: Empty tag pers.\n", message);

  EXPECT_EQ(1, run_capturing([] { fatal_lua("function %s not found\n", "f"); }, message));
  EXPECT_EQ("Error in lua description: function f not found\n", message);
}

TEST(RunReportingFaults, AllocationFailuresAreOutOfMemory) {
  std::string message;
  EXPECT_EQ(1, run_capturing([] { throw std::bad_alloc(); }, message));
  EXPECT_EQ("Error: out of memory.\n", message);
  EXPECT_EQ(1, run_capturing([] { fatal_out_of_memory(); }, message));
  EXPECT_EQ("Error: out of memory.\n", message);
  // A container asked for more than any machine holds.
  EXPECT_EQ(1, run_capturing(
                   [] {
                     std::vector<char> v;
                     v.reserve(v.max_size() + 1);
                   },
                   message));
  EXPECT_EQ("Error: out of memory.\n", message);
}

}  // namespace

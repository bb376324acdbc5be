// Proves the test harness runs what it builds: a failing test here must fail the whole run.
#include <gtest/gtest.h>

#include <cstdlib>

TEST(Harness, RunsAndCanFail) {
  // scripts/test sets this to prove that a failure reaches its exit code.
  const char* fail = std::getenv("CLIENT_HARNESS_MUST_FAIL");
  EXPECT_TRUE(fail == nullptr || *fail == '\0') << "failing on request";
}

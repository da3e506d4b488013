// Entry of the Windows test program: GoogleTest with its usual output, unbuffered, and without
// handing results to a debugger too. Under Wine where 32-bit code is emulated OutputDebugString
// takes the process down, and a crash would lose whatever output a buffer still held.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

using testing::TestEventListener;
using testing::TestInfo;
using testing::TestPartResult;
using testing::TestSuite;
using testing::UnitTest;

// Passes every event on to GoogleTest's own printer, except that it prints failures and skips
// itself, in the same form.
class ResultPrinter : public TestEventListener {
 public:
  explicit ResultPrinter(TestEventListener* inner) : inner_(inner) {}

  void OnTestPartResult(const TestPartResult& result) override {
    if (result.type() == TestPartResult::kSuccess) return;
    std::printf("%s:%d: %s\n%s\n", result.file_name() != nullptr ? result.file_name() : "unknown",
                result.line_number(), result.skipped() ? "Skipped" : "Failure", result.message());
  }

  void OnTestProgramStart(const UnitTest& test) override { inner_->OnTestProgramStart(test); }
  void OnTestIterationStart(const UnitTest& test, int iteration) override {
    inner_->OnTestIterationStart(test, iteration);
  }
  void OnEnvironmentsSetUpStart(const UnitTest& test) override {
    inner_->OnEnvironmentsSetUpStart(test);
  }
  void OnEnvironmentsSetUpEnd(const UnitTest& test) override {
    inner_->OnEnvironmentsSetUpEnd(test);
  }
  void OnTestSuiteStart(const TestSuite& suite) override { inner_->OnTestSuiteStart(suite); }
  void OnTestCaseStart(const TestSuite& suite) override { inner_->OnTestCaseStart(suite); }
  void OnTestStart(const TestInfo& info) override { inner_->OnTestStart(info); }
  void OnTestDisabled(const TestInfo& info) override { inner_->OnTestDisabled(info); }
  void OnTestEnd(const TestInfo& info) override { inner_->OnTestEnd(info); }
  void OnTestSuiteEnd(const TestSuite& suite) override { inner_->OnTestSuiteEnd(suite); }
  void OnTestCaseEnd(const TestSuite& suite) override { inner_->OnTestCaseEnd(suite); }
  void OnEnvironmentsTearDownStart(const UnitTest& test) override {
    inner_->OnEnvironmentsTearDownStart(test);
  }
  void OnEnvironmentsTearDownEnd(const UnitTest& test) override {
    inner_->OnEnvironmentsTearDownEnd(test);
  }
  void OnTestIterationEnd(const UnitTest& test, int iteration) override {
    inner_->OnTestIterationEnd(test, iteration);
  }
  void OnTestProgramEnd(const UnitTest& test) override { inner_->OnTestProgramEnd(test); }

 private:
  std::unique_ptr<TestEventListener> inner_;
};

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  testing::InitGoogleTest(&argc, argv);
  testing::TestEventListeners& listeners = UnitTest::GetInstance()->listeners();
  TestEventListener* printer = listeners.Release(listeners.default_result_printer());
  if (printer != nullptr) listeners.Append(new ResultPrinter(printer));
  return RUN_ALL_TESTS();
}

#include <gtest/gtest.h>
#include "app/crash/crash_handler.h"
#include "runtime/crash_guard.h"

namespace {

TEST(CrashReport, DumpNameCarriesTheVersionAndReporterLineQuotesThePath) {
    const std::wstring dump = CrashDumpPath();
    ASSERT_GT(dump.size(), 27u);
    EXPECT_EQ(dump.substr(dump.size() - 27), L"\\Quillbank_recorder_2_8.dmp");
    EXPECT_EQ(CrashReporterCommandLine(L"C:\\a b\\x.dmp"),
              L"crash_reporter.exe \"Quillbank recorder\" 2.8 \"C:\\a b\\x.dmp\"");
}

TEST(CrashReport, DumpKeepsOnlyModulesTheMemoryRefersTo) {
    MINIDUMP_CALLBACK_INPUT input{};
    MINIDUMP_CALLBACK_OUTPUT output{};
    input.CallbackType = ModuleCallback;
    output.ModuleWriteFlags = ModuleWriteModule | ModuleWriteDataSeg;
    EXPECT_TRUE(CrashDumpCallback(nullptr, &input, &output));
    EXPECT_EQ(output.ModuleWriteFlags, static_cast<ULONG>(ModuleWriteDataSeg));

    output.ModuleWriteFlags = ModuleWriteModule | ModuleReferencedByMemory;
    EXPECT_TRUE(CrashDumpCallback(nullptr, &input, &output));
    EXPECT_EQ(output.ModuleWriteFlags, static_cast<ULONG>(ModuleWriteModule | ModuleReferencedByMemory));
}

TEST(CrashReport, DumpCallbackAnswersPerCallbackType) {
    MINIDUMP_CALLBACK_INPUT input{};
    MINIDUMP_CALLBACK_OUTPUT output{};
    for (ULONG type : {ThreadCallback, ThreadExCallback, IncludeThreadCallback, IncludeModuleCallback}) {
        input.CallbackType = type;
        EXPECT_TRUE(CrashDumpCallback(nullptr, &input, &output)) << type;
    }
    for (ULONG type : {static_cast<ULONG>(MemoryCallback), 6ul, 99ul}) {
        input.CallbackType = type;
        EXPECT_FALSE(CrashDumpCallback(nullptr, &input, &output)) << type;
    }
    EXPECT_FALSE(CrashDumpCallback(nullptr, nullptr, &output));
    EXPECT_FALSE(CrashDumpCallback(nullptr, &input, nullptr));
}

TEST(CrashGuard, PassesTheResultThroughAndRestoresTheFrameChain) {
    void* before;
    asm volatile("movl %%fs:0, %0" : "=r"(before));
    EXPECT_EQ(RunInCrashGuard([]() -> DWORD { return 42; }), 42u);
    void* after;
    asm volatile("movl %%fs:0, %0" : "=r"(after));
    EXPECT_EQ(before, after);
}

}  // namespace

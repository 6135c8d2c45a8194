// The publication worker as a progress dialog sees it: progress and completion messages, the
// notify window cleared by the dialog, and a worker abandoned by Cancel.
#include <memory>
#include "message_sink.h"
#include "request_fixture.h"
#include "service/request/form_values.h"
#include "service/request/request_thread.h"
#include "service/request/service_messages.h"

namespace {

constexpr DWORD kWorkerTimeoutMs = 60000;

class RequestThreadTest : public RequestTest {
protected:
    std::shared_ptr<CServerRequest> Publication(const std::wstring& password, size_t fileSize) {
        m_episodePath = MakeEpisode(L"Episodes", L"worker.mp3", fileSize);
        return std::make_shared<CServerRequest>(sink.Window(), kLogin, password, REQUEST_PUBLISH, 12, L"T", L"D",
                                                m_episodePath, std::set<uint32_t>{90000});
    }
    static DWORD ExitCode(HANDLE thread) {
        DWORD code = STILL_ACTIVE;
        GetExitCodeThread(thread, &code);
        return code;
    }
    MessageSink sink;
    std::wstring m_episodePath;
};

TEST_F(RequestThreadTest, ProgressRisesToTheWholeUploadThenDoneReportsSuccess) {
    const std::shared_ptr<CServerRequest> request = Publication(kPassword, 700000);
    HANDLE thread = StartRequestThread(request);
    ASSERT_NE(thread, nullptr);
    ASSERT_TRUE(sink.PumpUntilEnded(thread, kWorkerTimeoutMs));
    EXPECT_EQ(ExitCode(thread), 1u);
    CloseHandle(thread);

    const std::vector<LPARAM> progress = sink.Progress();
    ASSERT_FALSE(progress.empty());
    for (size_t i = 1; i < progress.size(); ++i) EXPECT_GE(progress[i], progress[i - 1]);
    // The form around the file is counted too: the last figure is the whole body.
    const StandinRecord record = OnlyRecord();
    EXPECT_GE(progress.back(), 700000);
    EXPECT_EQ(std::to_string(progress.back()), record.at("content_length"));

    ASSERT_EQ(sink.DoneCount(), 1);
    const SinkMessage& done = sink.Messages().back();
    EXPECT_EQ(done.message, WM_REQUEST_DONE);
    EXPECT_EQ(done.wParam, 1u);
    EXPECT_EQ(done.lParam, reinterpret_cast<LPARAM>(request.get()));
}

TEST_F(RequestThreadTest, FailedPublicationReportsZero) {
    const std::shared_ptr<CServerRequest> request = Publication(L"wrong", 1000);
    HANDLE thread = StartRequestThread(request);
    ASSERT_NE(thread, nullptr);
    ASSERT_TRUE(sink.PumpUntilEnded(thread, kWorkerTimeoutMs));
    EXPECT_EQ(ExitCode(thread), 0u);
    CloseHandle(thread);
    ASSERT_EQ(sink.DoneCount(), 1);
    EXPECT_EQ(sink.Messages().back().wParam, 0u);
    EXPECT_EQ(request->GetError(), L"Wrong login name or password");
}

TEST_F(RequestThreadTest, NoMessageArrivesAfterTheNotifyWindowIsCleared) {
    const std::shared_ptr<CServerRequest> request = Publication(kPassword, 700000);
    // As a dialog that ends on its first message would.
    sink.onMessage = [&request](const SinkMessage&) { request->SetNotifyWindow(nullptr); };
    HANDLE thread = StartRequestThread(request);
    ASSERT_NE(thread, nullptr);
    ASSERT_TRUE(sink.PumpUntilEnded(thread, kWorkerTimeoutMs));
    EXPECT_EQ(ExitCode(thread), 1u);
    CloseHandle(thread);
    EXPECT_EQ(sink.Messages().size(), 1u);
    EXPECT_EQ(sink.DoneCount(), 0);
}

TEST_F(RequestThreadTest, FileCutShortDuringTheUploadFailsWithTheReadError) {
    const std::shared_ptr<CServerRequest> request = Publication(kPassword, 900000);
    // Another program truncates the file while it is being sent; the form announced more.
    bool truncated = false;
    sink.onMessage = [&truncated, this](const SinkMessage&) {
        if (truncated) return;
        truncated = true;
        HANDLE file = CreateFileW(m_episodePath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        LARGE_INTEGER keep{};
        keep.QuadPart = 1000;
        SetFilePointerEx(file, keep, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
        CloseHandle(file);
    };
    EXPECT_FALSE(request->Perform());  // on this thread: the messages reach the sink directly
    EXPECT_TRUE(truncated);
    EXPECT_EQ(request->GetError(), CurlText(CURLE_READ_ERROR));
    EXPECT_TRUE(StandinRecords().empty()) << "the service never got a whole request";
}

TEST_F(RequestThreadTest, LoginSendsNoMessages) {
    CServerRequest request(sink.Window(), kLogin, kPassword, REQUEST_LOGIN);
    ASSERT_TRUE(request.Perform());
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(RequestThreadTest, AbandonedWorkerEndsItsTransferAndReleasesTheRequest) {
    SetStandinBehaviour("hang 60");
    std::shared_ptr<CServerRequest> request = Publication(kPassword, 5000);
    const std::weak_ptr<CServerRequest> watch = request;
    HANDLE thread = StartRequestThread(request);
    ASSERT_NE(thread, nullptr);
    // Wait until the whole upload is in and reported; the service then keeps the worker
    // waiting for its reply.
    const DWORD start = GetTickCount();
    auto uploadReported = [this] {
        const std::vector<StandinRecord> records = StandinRecords();
        const std::vector<LPARAM> progress = sink.Progress();
        return !records.empty() && !progress.empty() &&
               std::to_string(progress.back()) == records.back().at("content_length");
    };
    while (!uploadReported()) {
        ASSERT_LT(GetTickCount() - start, 30000u) << "the upload did not arrive";
        sink.PumpUntilEnded(thread, 50);
    }

    // Cancel, the way the dialog does it: give up on the worker and drop the request at once.
    request->Abandon();
    EXPECT_EQ(request->GetError(), L"No Error");
    const size_t messagesAtCancel = sink.Messages().size();
    request.reset();
    EXPECT_FALSE(watch.expired()) << "the worker still holds the request";

    ASSERT_TRUE(sink.PumpUntilEnded(thread, 15000)) << "the transfer did not end";
    EXPECT_EQ(ExitCode(thread), 0u);
    CloseHandle(thread);
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(sink.Messages().size(), messagesAtCancel);
}

}  // namespace

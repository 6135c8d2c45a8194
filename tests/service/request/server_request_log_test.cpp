// What a request writes to the log: its steps and the reply, never the password.
#include <cstdio>
#include "runtime/log_file.h"
#include "request_fixture.h"
#include "service/request/form_values.h"
#include "service/request/server_request.h"

namespace {

class RequestLogTest : public RequestTest {
protected:
    void SetUp() override {
        RequestTest::SetUp();
        m_path = TestFolder(L"Log") + L"\\recorder.log";
        ASSERT_TRUE(g_log.Open(m_path));
    }
    void TearDown() override {
        g_log.Close();
        RequestTest::TearDown();
    }
    std::wstring LogText() {
        const std::string bytes = ReadWholeFile(m_path);
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    }
    std::wstring m_path;
};

TEST_F(RequestLogTest, StepsAndReplyAreLoggedButNeverThePassword) {
    CServerRequest login(nullptr, kLogin, kPassword, REQUEST_LOGIN);
    ASSERT_TRUE(login.Perform());
    const std::wstring episode = MakeEpisode(L"Episodes", L"logged.mp3", 2000);
    CServerRequest publication(nullptr, kLogin, kPassword, REQUEST_PUBLISH, 12, L"T", L"D", episode, {});
    ASSERT_TRUE(publication.Perform());
    CServerRequest wrong(nullptr, kLogin, std::wstring(kPassword) + L"x", REQUEST_LOGIN);
    EXPECT_FALSE(wrong.Perform());
    CServerRequest unicode(nullptr, kUnicodeLogin, kUnicodePassword, REQUEST_LOGIN);
    ASSERT_TRUE(unicode.Perform());
    const ClosedPort closed;
    g_settings.m_serverHost = L"127.0.0.1:" + std::to_wstring(closed.Port());
    CServerRequest refused(nullptr, kLogin, kPassword, REQUEST_LOGIN);
    EXPECT_FALSE(refused.Perform());
    g_log.Close();

    const std::wstring log = LogText();
    EXPECT_NE(log.find(L"Server request started\n"), std::wstring::npos);
    EXPECT_NE(log.find(L"Server response: OK\\r\\n12 morningshow The Morning Show\\r\\n"), std::wstring::npos);
    EXPECT_NE(log.find(L"Server response: FAIL Wrong login name or password"), std::wstring::npos);
    EXPECT_EQ(log.find(kPassword), std::wstring::npos);
    EXPECT_EQ(log.find(kUnicodePassword), std::wstring::npos);
    EXPECT_EQ(log.find(L"p\u00e4ssw"), std::wstring::npos);
}

TEST_F(RequestLogTest, AReplyCannotForgeLogLines) {
    SetStandinReply(200, "FAIL no\r\n!!! Recording lost\n\x1b[2J\\x41");
    CServerRequest request(nullptr, kLogin, kPassword, REQUEST_LOGIN);
    EXPECT_FALSE(request.Perform());
    g_log.Close();
    const std::wstring log = LogText();
    EXPECT_NE(log.find(L"Server response: FAIL no\\r\\n!!! Recording lost\\n\\x1B[2J\\\\x41\n"), std::wstring::npos)
        << ToUtf8(log);
    EXPECT_EQ(log.find(L"\n!!! "), std::wstring::npos);
}

TEST_F(RequestLogTest, AHugeReplyIsLoggedShortened) {
    SetStandinBehaviour("long_line 1048576 " + HexOf("FAIL "));
    CServerRequest request(nullptr, kLogin, kPassword, REQUEST_LOGIN);
    EXPECT_FALSE(request.Perform());
    g_log.Close();
    const std::wstring log = LogText();
    EXPECT_NE(log.find(L"Server response: FAIL xxxx"), std::wstring::npos);
    EXPECT_LT(log.size(), 2 * CLogFile::kBufferChars);
}

}  // namespace

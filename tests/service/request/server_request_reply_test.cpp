// How a request reads the service's replies, well-formed or not, and how transfer errors
// come back: each case is served for real by the stand-in service.
#include "request_fixture.h"
#include "service/request/form_values.h"
#include "service/request/server_request.h"

namespace {

class RequestReplyTest : public RequestTest {
protected:
    // A login answered with exactly this status and body.
    CServerRequest& LoginAnsweredWith(int status, const std::string& body) {
        SetStandinReply(status, body);
        m_request.Perform();
        return m_request;
    }
    CServerRequest m_request{nullptr, kLogin, kPassword, REQUEST_LOGIN};
};

TEST_F(RequestReplyTest, OkAloneIsSuccessWithNoPodcasts) {
    CServerRequest& request = LoginAnsweredWith(200, "OK");
    EXPECT_TRUE(request.Succeeded());
    EXPECT_EQ(request.GetError(), L"No Error");
    EXPECT_TRUE(request.GetPodcasts().empty());
}

TEST_F(RequestReplyTest, LeadingBlankLinesAreSkipped) {
    CServerRequest& request = LoginAnsweredWith(200, "\r\n\r\nOK\r\n12 morningshow The Morning Show\r\n");
    ASSERT_TRUE(request.Succeeded());
    const std::vector<PodcastEntry> podcasts = request.GetPodcasts();
    ASSERT_EQ(podcasts.size(), 1u);
    EXPECT_EQ(podcasts[0].id, 12);
    EXPECT_EQ(podcasts[0].siteName, L"morningshow");
    EXPECT_EQ(podcasts[0].name, L"The Morning Show");
}

TEST_F(RequestReplyTest, OkayIsSuccess) { EXPECT_TRUE(LoginAnsweredWith(200, "OKAY\r\n").Succeeded()); }

TEST_F(RequestReplyTest, FailGivesTheServersMessage) {
    CServerRequest& request = LoginAnsweredWith(200, "FAIL Wrong password\r\n");
    EXPECT_FALSE(request.Succeeded());
    EXPECT_EQ(request.GetError(), L"Wrong password");
}

TEST_F(RequestReplyTest, FailMessageIsReadAsUtf8) {
    CServerRequest& request = LoginAnsweredWith(200, "FAIL Mot de passe erron\xc3\xa9\r\n");
    EXPECT_EQ(request.GetError(), L"Mot de passe erron\u00e9");
}

TEST_F(RequestReplyTest, FailureWithoutFailHasAnEmptyMessage) {
    CServerRequest& request = LoginAnsweredWith(200, "Internal error\r\n");
    EXPECT_FALSE(request.Succeeded());
    EXPECT_EQ(request.GetError(), L"");
}

TEST_F(RequestReplyTest, StatusIsIgnoredAndTheBodyParsed) {
    CServerRequest& request = LoginAnsweredWith(500, "FAIL Service down for maintenance\r\n");
    EXPECT_FALSE(request.Succeeded());
    EXPECT_EQ(request.GetError(), L"Service down for maintenance");
}

TEST_F(RequestReplyTest, RunsOfSpacesSeparateThePodcastFields) {
    CServerRequest& request = LoginAnsweredWith(200, "OK\r\n7  two   words here\r\n");
    const std::vector<PodcastEntry> podcasts = request.GetPodcasts();
    ASSERT_EQ(podcasts.size(), 1u);
    EXPECT_EQ(podcasts[0].id, 7);
    EXPECT_EQ(podcasts[0].siteName, L"two");
    EXPECT_EQ(podcasts[0].name, L"words here");
}

TEST_F(RequestReplyTest, LineWithoutNamePartNeitherFailsNorEndsTheList) {
    CServerRequest& request = LoginAnsweredWith(200, "OK\r\n12 morningshow\r\n13\r\n14 late Late Show\r\n");
    ASSERT_TRUE(request.Succeeded());
    const std::vector<PodcastEntry> podcasts = request.GetPodcasts();
    ASSERT_EQ(podcasts.size(), 3u);
    EXPECT_EQ(podcasts[0].name, L"morningshow");
    EXPECT_EQ(podcasts[1].id, 13);
    EXPECT_EQ(podcasts[2].name, L"Late Show");
}

TEST_F(RequestReplyTest, EmptyBodyIsServerReturnedNothing) {
    CServerRequest& request = LoginAnsweredWith(200, "");
    EXPECT_FALSE(request.Succeeded());
    EXPECT_EQ(request.GetError(), L"Server returned nothing");
    EXPECT_EQ(LoginAnsweredWith(200, "\r\n\r\n").GetError(), L"Server returned nothing");
}

TEST_F(RequestReplyTest, RefusedConnectionGivesLibcurlsText) {
    const ClosedPort closed;
    g_settings.m_serverHost = L"127.0.0.1:" + std::to_wstring(closed.Port());
    CServerRequest request(nullptr, kLogin, kPassword, REQUEST_LOGIN);
    EXPECT_FALSE(request.Perform());
    EXPECT_EQ(request.GetError(), CurlText(CURLE_COULDNT_CONNECT));
}

TEST_F(RequestReplyTest, UnknownHostGivesLibcurlsText) {
    // A label longer than DNS allows fails in the resolver without any query leaving the machine.
    g_settings.m_serverHost = std::wstring(70, L'q') + L".invalid";
    CServerRequest request(nullptr, kLogin, kPassword, REQUEST_LOGIN);
    EXPECT_FALSE(request.Perform());
    EXPECT_EQ(request.GetError(), CurlText(CURLE_COULDNT_RESOLVE_HOST));
}

TEST_F(RequestReplyTest, EmptyHostFailsInLibcurl) {
    g_settings.m_serverHost = L"";
    CServerRequest request(nullptr, kLogin, kPassword, REQUEST_LOGIN);
    EXPECT_FALSE(request.Perform());
    EXPECT_TRUE(IsCurlErrorText(request.GetError())) << ToUtf8(request.GetError());
}

TEST_F(RequestReplyTest, HugeGarbageIsRefusedWithoutCrashing) {
    SetStandinBehaviour("garbage 10485760");
    EXPECT_FALSE(m_request.Perform());
    EXPECT_EQ(m_request.GetError(), L"Server reply is too large");
}

TEST_F(RequestReplyTest, ReplyLineOfAMegabyteIsReadButOnlyAKibibyteOfItShown) {
    SetStandinBehaviour("long_line 1048576 " + HexOf("FAIL "));
    EXPECT_FALSE(m_request.Perform());
    EXPECT_EQ(m_request.GetError(), std::wstring(1024, L'x'));
    SetStandinBehaviour("long_line 1048576 " + HexOf("OK\r\n9 site "));
    ASSERT_TRUE(m_request.Perform());
    ASSERT_EQ(m_request.GetPodcasts().size(), 1u);
    EXPECT_EQ(m_request.GetPodcasts()[0].name.size(), 1048576u);
}

TEST_F(RequestReplyTest, ALongFailMessageIsCutBeforeACharacterThatWouldNotFit) {
    // 1023 bytes, then a character of two bytes that would end past the limit.
    const std::string message = std::string(1023, 'x') + "\xc3\xa9 and more";
    EXPECT_EQ(LoginAnsweredWith(200, "FAIL " + message).GetError(), std::wstring(1023, L'x'));
}

TEST_F(RequestReplyTest, APodcastListEndsAfterAThousandEntries) {
    std::string reply = "OK\r\n";
    for (int id = 1; id <= 1500; ++id) reply += std::to_string(id) + " site Podcast\r\n";
    const std::vector<PodcastEntry> podcasts = LoginAnsweredWith(200, reply).GetPodcasts();
    ASSERT_TRUE(m_request.Succeeded());
    ASSERT_EQ(podcasts.size(), 1000u);
    EXPECT_EQ(podcasts.front().id, 1);
    EXPECT_EQ(podcasts.back().id, 1000);
}

TEST_F(RequestReplyTest, BinaryZerosAreAFailureWithoutMessage) {
    SetStandinBehaviour("zeros 65536");
    EXPECT_FALSE(m_request.Perform());
    EXPECT_EQ(m_request.GetError(), L"");
}

// A publication whose "OK" line arrived was taken by the service, whatever was lost after it;
// a login's podcast list cut short is no success.
TEST_F(RequestReplyTest, AReplyCutShortAfterItsOkLineIsAPublicationButNoLogin) {
    const std::wstring path = MakeEpisode(L"Episodes", L"cut.mp3", 9000);
    auto publishCutAfter = [&](const char* bytes) {
        SetStandinBehaviour(std::string("truncate ") + bytes);
        CServerRequest request(nullptr, kLogin, kPassword, REQUEST_PUBLISH, 12, L"T", L"D", path, {});
        return request.Perform();
    };
    EXPECT_TRUE(publishCutAfter("3"));   // "OK\r" of "OK\r\n"
    EXPECT_FALSE(publishCutAfter("2"));  // no line break yet: the line may go on
    SetStandinBehaviour("truncate 4");
    EXPECT_FALSE(m_request.Perform());
}

TEST_F(RequestReplyTest, ConnectionDroppedMidUploadGivesLibcurlsText) {
    g_settings.m_serverHost = L"127.0.0.1:" + std::to_wstring(EnvironmentPort("QB_STANDIN_DROP_PORT"));
    const std::wstring path = MakeEpisode(L"Episodes", L"dropped.mp3", 900000);
    CServerRequest request(nullptr, kLogin, kPassword, REQUEST_PUBLISH, 12, L"T", L"D", path, {});
    EXPECT_FALSE(request.Perform());
    EXPECT_TRUE(IsCurlErrorText(request.GetError())) << ToUtf8(request.GetError());
}

}  // namespace

// Requests through real proxies on loopback (tinyproxy for HTTP, microsocks for SOCKS5), set
// up through the registry as a user would. Each proxy connects to the service from an address
// of its own, so the service can tell which way a request came.
#include "request_fixture.h"
#include "service/request/form_values.h"
#include "service/request/server_request.h"
#include "test_registry.h"

namespace {

constexpr char kDirect[] = "127.0.0.1";
constexpr char kThroughHttpProxy[] = "127.0.0.3";
constexpr char kThroughSocksProxy[] = "127.0.0.2";

class ProxyTest : public RequestTest {
protected:
    void SetUp() override {
        RequestTest::SetUp();
        registry.SetString(kRecorderKey, L"ServerHost", StandinHost());
    }
    void TearDown() override {
        SetEnvironmentVariableA("http_proxy", nullptr);
        RequestTest::TearDown();
    }

    static std::wstring Loopback(const char* portVariable) {
        return L"127.0.0.1:" + std::to_wstring(EnvironmentPort(portVariable));
    }

    // A login under the registry state set up so far; the address it reached the service from.
    std::string LoginArrivesFrom() {
        g_settings.Load();
        CServerRequest request(nullptr, kLogin, kPassword, REQUEST_LOGIN);
        if (!request.Perform()) return "failed: " + ToUtf8(request.GetError());
        const std::vector<StandinRecord> records = StandinRecords();
        return records.empty() ? "nothing recorded" : records.back().at("remote_addr");
    }

    TestRegistry registry;
};

TEST_F(ProxyTest, HttpProxyChoiceGoesThroughTheHttpProxy) {
    registry.SetDword(kRecorderKey, L"ProxyType", 1);
    registry.SetString(kRecorderKey, L"ProxyUrl", Loopback("QB_HTTP_PROXY_PORT"));
    EXPECT_EQ(LoginArrivesFrom(), kThroughHttpProxy);
    EXPECT_NE(StandinRecords().back().at("via").find("standin-tinyproxy"), std::string::npos);
}

TEST_F(ProxyTest, SystemProxyGoesThroughTheHttpProxy) {
    registry.SetDword(kInternetKey, L"ProxyEnable", 1);
    registry.SetString(kInternetKey, L"ProxyServer", Loopback("QB_HTTP_PROXY_PORT"));
    EXPECT_EQ(LoginArrivesFrom(), kThroughHttpProxy);
    EXPECT_EQ(g_settings.m_proxyType, PROXY_HTTP);
}

TEST_F(ProxyTest, Socks5ChoiceGoesThroughTheSocksProxy) {
    registry.SetDword(kRecorderKey, L"ProxyType", 3);
    registry.SetString(kRecorderKey, L"ProxyUrl", Loopback("QB_SOCKS_PROXY_PORT"));
    EXPECT_EQ(LoginArrivesFrom(), kThroughSocksProxy);
}

TEST_F(ProxyTest, PublicationUploadsThroughTheSocksProxy) {
    registry.SetDword(kRecorderKey, L"ProxyType", 3);
    registry.SetString(kRecorderKey, L"ProxyUrl", Loopback("QB_SOCKS_PROXY_PORT"));
    g_settings.Load();
    const std::wstring path = MakeEpisode(L"Episodes", L"proxied.mp3", 400000);
    CServerRequest request(nullptr, kLogin, kPassword, REQUEST_PUBLISH, 12, L"T", L"D", path, {});
    ASSERT_TRUE(request.Perform()) << ToUtf8(request.GetError());
    const StandinRecord record = OnlyRecord();
    EXPECT_EQ(record.at("remote_addr"), kThroughSocksProxy);
    EXPECT_EQ(record.at("parsed.file.audio_file.md5"), Md5Hex(ReadWholeFile(path)));
}

TEST_F(ProxyTest, UnknownChoiceLeavesTheKindToTheAddress) {
    registry.SetDword(kRecorderKey, L"ProxyType", 7);
    registry.SetString(kRecorderKey, L"ProxyUrl", L"socks5://" + Loopback("QB_SOCKS_PROXY_PORT"));
    EXPECT_EQ(LoginArrivesFrom(), kThroughSocksProxy);
    registry.SetString(kRecorderKey, L"ProxyUrl", Loopback("QB_HTTP_PROXY_PORT"));
    EXPECT_EQ(LoginArrivesFrom(), kThroughHttpProxy);  // libcurl's default kind is HTTP
}

TEST_F(ProxyTest, NoProxyChoiceIgnoresProxyUrl) {
    const ClosedPort dead;
    registry.SetDword(kRecorderKey, L"ProxyType", 0);
    registry.SetString(kRecorderKey, L"ProxyUrl", L"127.0.0.1:" + std::to_wstring(dead.Port()));
    EXPECT_EQ(LoginArrivesFrom(), kDirect);
}

TEST_F(ProxyTest, HttpChoiceWithoutAddressGoesDirectEvenWithAnEnvironmentProxy) {
    // The empty proxy is still set, and so overrides a proxy from the environment.
    const ClosedPort dead;
    SetEnvironmentVariableA("http_proxy", ("http://127.0.0.1:" + std::to_string(dead.Port())).c_str());
    registry.SetDword(kRecorderKey, L"ProxyType", 1);
    EXPECT_EQ(LoginArrivesFrom(), kDirect);
}

TEST_F(ProxyTest, UnreachableProxyFailsWithLibcurlsText) {
    const ClosedPort dead;
    registry.SetDword(kRecorderKey, L"ProxyType", 1);
    registry.SetString(kRecorderKey, L"ProxyUrl", L"127.0.0.1:" + std::to_wstring(dead.Port()));
    EXPECT_EQ(LoginArrivesFrom(), "failed: " + ToUtf8(CurlText(CURLE_COULDNT_CONNECT)));
    EXPECT_TRUE(StandinRecords().empty());
}

}  // namespace

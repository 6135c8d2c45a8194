#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "settings/registry_values.h"
#include "settings/settings.h"
#include "test_registry.h"

namespace {

class SettingsTest : public ::testing::Test {
protected:
    TestRegistry registry;
};

bool KeyExists(const wchar_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

DWORD ValueCount(const wchar_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    DWORD values = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    return values;
}

TEST_F(SettingsTest, WithNoValuesAtAllRequestsGoDirectToTheDefaultHost) {
    CSettings settings;
    EXPECT_EQ(settings.m_proxyType, PROXY_NONE);
    EXPECT_EQ(settings.m_proxyAddress, L"");
    EXPECT_EQ(settings.m_serverHost, kDefaultServerHost);
    EXPECT_EQ(settings.m_rememberedPassword, L"");
    // Both keys are created, and nothing is written into them.
    EXPECT_TRUE(KeyExists(kRecorderKey));
    EXPECT_TRUE(KeyExists(kInternetKey));
    EXPECT_EQ(ValueCount(kRecorderKey), 0u);
    EXPECT_EQ(ValueCount(kInternetKey), 0u);
}

TEST_F(SettingsTest, SystemProxyOnGivesItsServerUnchangedAsHttpProxy) {
    registry.SetDword(kInternetKey, L"ProxyEnable", 1);
    registry.SetString(kInternetKey, L"ProxyServer", L"proxy.example.test:3128");
    CSettings settings;
    EXPECT_EQ(settings.m_proxyType, PROXY_HTTP);
    EXPECT_EQ(settings.m_proxyAddress, L"proxy.example.test:3128");
}

// A proxy per protocol: the one for http, else the SOCKS one, else none.
TEST_F(SettingsTest, SystemProxyListGivesTheEntryForHttp) {
    registry.SetDword(kInternetKey, L"ProxyEnable", 1);
    const struct {
        const wchar_t* server;
        int32_t type;
        const wchar_t* address;
    } cases[] = {
        {L"https=b.test:443;HTTP=a.test:80;socks=c.test:1080", PROXY_HTTP, L"a.test:80"},
        {L"ftp=f.test:21; socks=c.test:1080", PROXY_SOCKS4, L"c.test:1080"},
        {L"https=b.test:443", PROXY_NONE, L""},
    };
    for (const auto& c : cases) {
        registry.SetString(kInternetKey, L"ProxyServer", c.server);
        CSettings settings;
        EXPECT_EQ(settings.m_proxyType, c.type) << std::string(c.server, c.server + wcslen(c.server));
        EXPECT_EQ(settings.m_proxyAddress, c.address);
    }
}

TEST_F(SettingsTest, SystemProxyOffIgnoresItsServer) {
    registry.SetDword(kInternetKey, L"ProxyEnable", 0);
    registry.SetString(kInternetKey, L"ProxyServer", L"proxy.example.test:3128");
    registry.SetString(kRecorderKey, L"ProxyUrl", L"other.example.test:8080");
    CSettings settings;
    EXPECT_EQ(settings.m_proxyType, PROXY_NONE);
    EXPECT_EQ(settings.m_proxyAddress, L"");
}

TEST_F(SettingsTest, StoredSystemChoiceIsResolvedLikeAnAbsentOne) {
    registry.SetDword(kRecorderKey, L"ProxyType", PROXY_SYSTEM);
    registry.SetString(kRecorderKey, L"ProxyUrl", L"other.example.test:8080");
    registry.SetDword(kInternetKey, L"ProxyEnable", 1);
    CSettings settings;
    EXPECT_EQ(settings.m_proxyType, PROXY_HTTP);
    EXPECT_EQ(settings.m_proxyAddress, L"");  // enabled without a server, and "ProxyUrl" is not read
}

TEST_F(SettingsTest, HttpProxyWithoutProxyUrlHasAnEmptyAddress) {
    registry.SetDword(kRecorderKey, L"ProxyType", PROXY_HTTP);
    CSettings settings;
    EXPECT_EQ(settings.m_proxyType, PROXY_HTTP);
    EXPECT_EQ(settings.m_proxyAddress, L"");
}

TEST_F(SettingsTest, SocksChoicesTakeProxyUrl) {
    registry.SetDword(kRecorderKey, L"ProxyType", PROXY_SOCKS5);
    registry.SetString(kRecorderKey, L"ProxyUrl", L"socks.example.test:1080");
    CSettings settings;
    EXPECT_EQ(settings.m_proxyType, PROXY_SOCKS5);
    EXPECT_EQ(settings.m_proxyAddress, L"socks.example.test:1080");
}

TEST_F(SettingsTest, UnknownChoiceKeepsItsNumberAndProxyUrl) {
    registry.SetDword(kRecorderKey, L"ProxyType", 7);
    registry.SetString(kRecorderKey, L"ProxyUrl", L"socks5://127.0.0.1:1080");
    CSettings settings;
    EXPECT_EQ(settings.m_proxyType, 7);
    EXPECT_EQ(settings.m_proxyAddress, L"socks5://127.0.0.1:1080");
}

TEST_F(SettingsTest, NoProxyChoiceReadsProxyUrlWithoutUsingIt) {
    registry.SetDword(kRecorderKey, L"ProxyType", PROXY_NONE);
    registry.SetString(kRecorderKey, L"ProxyUrl", L"proxy.example.test:3128");
    registry.SetDword(kInternetKey, L"ProxyEnable", 1);
    CSettings settings;
    EXPECT_EQ(settings.m_proxyType, PROXY_NONE);
    EXPECT_EQ(settings.m_proxyAddress, L"proxy.example.test:3128");
}

TEST_F(SettingsTest, ProxyTypeIsReadAsFourBytesWhateverItsStoredType) {
    const BYTE socks4[4] = {2, 0, 0, 0};
    registry.SetBytes(kRecorderKey, L"ProxyType", REG_BINARY, socks4, sizeof socks4);
    CSettings settings;
    EXPECT_EQ(settings.m_proxyType, PROXY_SOCKS4);
}

TEST_F(SettingsTest, ProxyTypeOfAnotherLengthCountsAsAbsent) {
    const BYTE two[2] = {1, 0};
    registry.SetBytes(kRecorderKey, L"ProxyType", REG_BINARY, two, sizeof two);
    registry.SetDword(kInternetKey, L"ProxyEnable", 1);
    registry.SetString(kInternetKey, L"ProxyServer", L"proxy.example.test:3128");
    CSettings settings;
    EXPECT_EQ(settings.m_proxyType, PROXY_HTTP);
    EXPECT_EQ(settings.m_proxyAddress, L"proxy.example.test:3128");
}

TEST_F(SettingsTest, ServerHostIsTakenAsStored) {
    registry.SetString(kRecorderKey, L"ServerHost", L"127.0.0.1:8080");
    EXPECT_EQ(CSettings().m_serverHost, L"127.0.0.1:8080");
}

TEST_F(SettingsTest, EmptyServerHostGivesAnEmptyHost) {
    registry.SetString(kRecorderKey, L"ServerHost", L"");
    EXPECT_EQ(CSettings().m_serverHost, L"");
}

TEST_F(SettingsTest, ServerHostOfNonStringTypeCountsAsAbsent) {
    registry.SetDword(kRecorderKey, L"ServerHost", 5);
    EXPECT_EQ(CSettings().m_serverHost, kDefaultServerHost);
    const wchar_t text[] = L"binary.example.test";
    registry.SetBytes(kRecorderKey, L"ServerHost", REG_BINARY, text, sizeof text);
    EXPECT_EQ(CSettings().m_serverHost, kDefaultServerHost);
    const wchar_t list[] = L"multi.example.test\0";
    registry.SetBytes(kRecorderKey, L"ServerHost", REG_MULTI_SZ, list, sizeof list);
    EXPECT_EQ(CSettings().m_serverHost, kDefaultServerHost);
}

TEST_F(SettingsTest, ExpandableStringIsTakenWithoutExpanding) {
    registry.SetString(kRecorderKey, L"ServerHost", L"%COMPUTERNAME%.example.test", REG_EXPAND_SZ);
    EXPECT_EQ(CSettings().m_serverHost, L"%COMPUTERNAME%.example.test");
}

TEST_F(SettingsTest, StringWithoutTerminatorCountsAsAbsent) {
    // The registry adds a terminator that the caller left out when the unit after the data
    // happens to be zero; a non-zero one after it keeps the value stored as given.
    const wchar_t text[] = {L'h', L'o', L's', L't', L'!'};
    registry.SetBytes(kRecorderKey, L"ServerHost", REG_SZ, text, 4 * sizeof(wchar_t));
    EXPECT_EQ(CSettings().m_serverHost, kDefaultServerHost);
}

TEST_F(SettingsTest, StringOfOddByteLengthCountsAsAbsent) {
    const wchar_t text[] = L"host";
    registry.SetBytes(kRecorderKey, L"ServerHost", REG_SZ, text, sizeof text - 1);
    EXPECT_EQ(CSettings().m_serverHost, kDefaultServerHost);
    registry.SetBytes(kRecorderKey, L"ServerHost", REG_SZ, text, 1);
    EXPECT_EQ(CSettings().m_serverHost, kDefaultServerHost);
}

TEST_F(SettingsTest, StringMayFillTheBufferButNotExceedIt) {
    const std::wstring longest(kRegistryStringUnits - 1, L'h');
    registry.SetString(kRecorderKey, L"ServerHost", longest);
    EXPECT_EQ(CSettings().m_serverHost, longest);
    registry.SetString(kRecorderKey, L"ServerHost", longest + L"h");
    EXPECT_EQ(CSettings().m_serverHost, kDefaultServerHost);
}

TEST_F(SettingsTest, SettingsAreReadAgainByLoad) {
    CSettings settings;
    registry.SetString(kRecorderKey, L"ServerHost", L"second.example.test");
    registry.SetDword(kRecorderKey, L"ProxyType", PROXY_HTTP);
    settings.Load();
    EXPECT_EQ(settings.m_serverHost, L"second.example.test");
    EXPECT_EQ(settings.m_proxyType, PROXY_HTTP);
}

TEST_F(SettingsTest, AReplacedPasswordLeavesNothingBehindInItsBuffer) {
    CSettings settings;
    settings.RememberPassword(L"the first password, long enough for the heap");
    const wchar_t* buffer = settings.m_rememberedPassword.data();
    const size_t units = settings.m_rememberedPassword.capacity();
    settings.RememberPassword(L"short");
    EXPECT_EQ(settings.m_rememberedPassword, L"short");
    // The shorter password reuses the buffer: the rest of the first one must be gone from it.
    ASSERT_EQ(settings.m_rememberedPassword.data(), buffer);
    for (size_t i = 5; i < units; ++i) ASSERT_EQ(buffer[i], L'\0') << "unit " << i;
}

TEST_F(SettingsTest, LastPodcastIdIsAcceptedOnlyAsDword) {
    HKEY key = OpenUserKey(kSettingsKeyPath);
    ASSERT_NE(key, nullptr);
    DWORD id = 0;
    registry.SetString(kRecorderKey, L"LastPodcastID", L"12");
    EXPECT_FALSE(ReadRegistryDword(key, L"LastPodcastID", &id));
    EXPECT_EQ(id, 0u);
    const DWORD twelve = 12;
    registry.SetBytes(kRecorderKey, L"LastPodcastID", REG_BINARY, &twelve, sizeof twelve);
    EXPECT_FALSE(ReadRegistryDword(key, L"LastPodcastID", &id));
    registry.SetDword(kRecorderKey, L"LastPodcastID", 12);
    EXPECT_TRUE(ReadRegistryDword(key, L"LastPodcastID", &id));
    EXPECT_EQ(id, 12u);
    RegCloseKey(key);
}

TEST_F(SettingsTest, LastUserFollowsTheStringRules) {
    HKEY key = OpenUserKey(kSettingsKeyPath);
    ASSERT_NE(key, nullptr);
    std::wstring user = L"unchanged";
    EXPECT_FALSE(ReadRegistryString(key, L"LastUser", &user));
    EXPECT_EQ(user, L"unchanged");
    registry.SetString(kRecorderKey, L"LastUser", L"Zo\u00eb");
    EXPECT_TRUE(ReadRegistryString(key, L"LastUser", &user));
    EXPECT_EQ(user, L"Zo\u00eb");
    RegCloseKey(key);
}

TEST_F(SettingsTest, TheChosenRecordingDeviceIsRememberedByNameAndEndpointAndTheDefaultRemovesBoth) {
    const std::wstring endpoint = L"{0.0.1.00000000}.{5c1f0e6b-2d4a-4c3e-9b1a-7f3e2d1c0b9a}";
    {
        CSettings settings;
        EXPECT_EQ(settings.m_recordingDevice, L"");
        EXPECT_TRUE(settings.SetRecordingDevice(L"Microphone (Podcast USB & Co.)", endpoint));
    }
    HKEY key = OpenUserKey(kSettingsKeyPath);
    ASSERT_NE(key, nullptr);
    DWORD type = REG_NONE;
    EXPECT_EQ(RegQueryValueExW(key, L"RecordingDevice", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    type = REG_NONE;
    EXPECT_EQ(RegQueryValueExW(key, L"RecordingDeviceId", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    {
        CSettings settings;  // the next start
        EXPECT_EQ(settings.m_recordingDevice, L"Microphone (Podcast USB & Co.)");
        EXPECT_EQ(settings.m_recordingDeviceId, endpoint);
        // A driver that gives no endpoint: the one of the device chosen before goes.
        EXPECT_TRUE(settings.SetRecordingDevice(L"Line In", L""));
    }
    EXPECT_EQ(RegQueryValueExW(key, L"RecordingDeviceId", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    {
        CSettings settings;
        EXPECT_EQ(settings.m_recordingDevice, L"Line In");
        EXPECT_EQ(settings.m_recordingDeviceId, L"");
        EXPECT_TRUE(settings.SetRecordingDevice(L"", endpoint));
        EXPECT_EQ(settings.m_recordingDevice, L"");
        EXPECT_EQ(settings.m_recordingDeviceId, L"");
        EXPECT_TRUE(settings.SetRecordingDevice(L"", L""));  // nothing left to remove
    }
    EXPECT_EQ(RegQueryValueExW(key, L"RecordingDevice", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExW(key, L"RecordingDeviceId", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
    EXPECT_EQ(CSettings().m_recordingDevice, L"");
}

}  // namespace

TEST_F(SettingsTest, TheTighteningLengthsAreRememberedAndAPairOutsideTheLimitsReadsAsTheDefaults) {
    CSettings settings;
    EXPECT_EQ(settings.m_tightenLongerThanMs, 1200u);
    EXPECT_EQ(settings.m_tightenToMs, 700u);
    ASSERT_TRUE(settings.SetTightenLengths(2000, 500));
    CSettings again;
    EXPECT_EQ(again.m_tightenLongerThanMs, 2000u);
    EXPECT_EQ(again.m_tightenToMs, 500u);
    EXPECT_FALSE(settings.SetTightenLengths(500, 500));  // refused, nothing written

    registry.SetDword(kRecorderKey, kTightenToValue, 2500);  // not less than 2000
    again.Load();
    EXPECT_EQ(again.m_tightenLongerThanMs, 1200u);
    EXPECT_EQ(again.m_tightenToMs, 700u);
    registry.SetDword(kRecorderKey, kTightenToValue, 200);  // below a pause
    again.Load();
    EXPECT_EQ(again.m_tightenToMs, 700u);
}

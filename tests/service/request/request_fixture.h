// Common ground of the request tests: the service settings point at the stand-in service
// started around the test, with no proxy, and episodes are made on disk.
#pragma once
#include <curl/curl.h>
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "service/request/text_encoding.h"
#include "service/request/wiping_allocator.h"
#include "settings/settings.h"
#include "standin_client.h"

class RequestTest : public ::testing::Test {
protected:
    // As the program does: libcurl's memory is wiped when freed.
    static void SetUpTestSuite() { InitCurlWithWipingAllocator(CURL_GLOBAL_ALL); }
    static void TearDownTestSuite() { curl_global_cleanup(); }

    void SetUp() override {
        m_savedHost = g_settings.m_serverHost;
        m_savedType = g_settings.m_proxyType;
        m_savedAddress = g_settings.m_proxyAddress;
        g_settings.m_serverHost = StandinHost();
        g_settings.m_proxyType = PROXY_NONE;
        g_settings.m_proxyAddress.clear();
        ASSERT_FALSE(g_settings.m_serverHost.empty()) << "run under tests/standin/standin.sh";
        ResetStandin();
    }
    void TearDown() override {
        g_settings.m_serverHost = m_savedHost;
        g_settings.m_proxyType = m_savedType;
        g_settings.m_proxyAddress = m_savedAddress;
    }

    // An episode file of size bytes of noise; returns its full path.
    static std::wstring MakeEpisode(const std::wstring& folder, const std::wstring& name, size_t size) {
        const std::wstring path = TestFolder(folder) + L"\\" + name;
        WriteWholeFile(path, NoiseBytes(size, static_cast<uint32_t>(size)));
        return path;
    }

    // The only request the service received.
    static StandinRecord OnlyRecord() {
        const std::vector<StandinRecord> records = StandinRecords();
        EXPECT_EQ(records.size(), 1u);
        return records.empty() ? StandinRecord() : records.back();
    }

    static std::wstring CurlText(CURLcode code) { return FromAnsi(curl_easy_strerror(code)); }

    static bool IsCurlErrorText(const std::wstring& text) {
        for (int code = 1; code < CURL_LAST; ++code)
            if (text == CurlText(static_cast<CURLcode>(code))) return true;
        return false;
    }

private:
    std::wstring m_savedHost;
    int32_t m_savedType = PROXY_NONE;
    std::wstring m_savedAddress;
};

// Accounts of the stand-in's data file.
constexpr wchar_t kLogin[] = L"morning";
constexpr wchar_t kPassword[] = L"secret-morning-7";
constexpr wchar_t kUnicodeLogin[] = L"Zo\u00eb \u0141ukasz \u5c71\u7530";
constexpr wchar_t kUnicodePassword[] = L"p\u00e4ssw\u00f6rd-\u043a\u043b\u044e\u0447-\U0001F511";

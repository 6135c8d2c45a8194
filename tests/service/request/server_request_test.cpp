// The form a login and a publication put on the wire, read back from the stand-in service
// both raw (order, headers) and through PHP's own multipart parser (contents).
#include "request_fixture.h"
#include "service/request/form_values.h"
#include "service/request/server_request.h"

namespace {

constexpr char kLoginParts[] = "request_type,login_name,password,audio_software_version,audio_software_version_ex";
constexpr char kPublicationParts[] =
    "request_type,login_name,password,audio_software_version,audio_software_version_ex,podcast_id,title,"
    "description,crc,adv_spot,audio_file_name,audio_file_size,audio_file";

using ServerRequestTest = RequestTest;

TEST_F(ServerRequestTest, LoginSendsExactlyTheFirstFiveParts) {
    CServerRequest request(nullptr, kLogin, kPassword, REQUEST_LOGIN);
    EXPECT_TRUE(request.Perform());
    const StandinRecord record = OnlyRecord();
    EXPECT_EQ(record.at("method"), "POST");
    EXPECT_EQ(record.at("path"), "/publish.php");
    EXPECT_EQ(record.at("user_agent"), "QuillbankRecorder/2.08");
    EXPECT_EQ(record.at("raw.part_order"), kLoginParts);
    EXPECT_EQ(record.at("parsed.post_order"), kLoginParts);
    EXPECT_EQ(record.at("parsed.file_order"), "");
    EXPECT_EQ(record.at("parsed.post.request_type"), "1");
    EXPECT_EQ(record.at("parsed.post.login_name"), "morning");
    EXPECT_EQ(record.at("parsed.post.password"), "secret-morning-7");
    EXPECT_EQ(record.at("parsed.post.audio_software_version"), "2");
    EXPECT_EQ(record.at("parsed.post.audio_software_version_ex"), "2.08");
    for (int part = 0; part < 5; ++part)
        EXPECT_EQ(record.count("raw." + std::to_string(part) + ".content_type"), 0u) << "text parts have no type";
}

TEST_F(ServerRequestTest, LoginListsThePodcastsInReplyOrder) {
    CServerRequest request(nullptr, kLogin, kPassword, REQUEST_LOGIN);
    ASSERT_TRUE(request.Perform());
    EXPECT_TRUE(request.Succeeded());
    EXPECT_EQ(request.GetError(), L"No Error");
    const std::vector<PodcastEntry> podcasts = request.GetPodcasts();
    ASSERT_EQ(podcasts.size(), 2u);
    EXPECT_EQ(podcasts[0].id, 12);
    EXPECT_EQ(podcasts[0].siteName, L"morningshow");
    EXPECT_EQ(podcasts[0].name, L"The Morning Show");
    EXPECT_EQ(podcasts[1].id, 31);
    EXPECT_EQ(podcasts[1].name, L"Late Night Talks");
}

TEST_F(ServerRequestTest, WrongPasswordFailsWithTheServersMessage) {
    CServerRequest request(nullptr, kLogin, L"guess", REQUEST_LOGIN);
    EXPECT_FALSE(request.Perform());
    EXPECT_FALSE(request.Succeeded());
    EXPECT_EQ(request.GetError(), L"Wrong login name or password");
    EXPECT_TRUE(request.GetPodcasts().empty());
}

TEST_F(ServerRequestTest, UnicodeLoginAndPasswordArriveAsUtf8) {
    CServerRequest request(nullptr, kUnicodeLogin, kUnicodePassword, REQUEST_LOGIN);
    ASSERT_TRUE(request.Perform()) << ToUtf8(request.GetError());
    const StandinRecord record = OnlyRecord();
    EXPECT_EQ(record.at("parsed.post.login_name"), "Zo\xc3\xab \xc5\x81ukasz \xe5\xb1\xb1\xe7\x94\xb0");
    EXPECT_EQ(record.at("parsed.post.password"), ToUtf8(kUnicodePassword));
    const std::vector<PodcastEntry> podcasts = request.GetPodcasts();
    ASSERT_EQ(podcasts.size(), 1u);
    EXPECT_EQ(podcasts[0].name, L"Kaffeeklatsch \u00fcber B\u00fccher");
}

TEST_F(ServerRequestTest, PublicationSendsAllThirteenPartsInOrder) {
    const std::wstring path = MakeEpisode(L"Episodes", L"2006-03-15-My_show.mp3", 300000);
    const std::string bytes = ReadWholeFile(path);
    CServerRequest request(nullptr, kLogin, kPassword, REQUEST_PUBLISH, 12, L"My show", L"About it",
                           path, {1200000, 90000});
    ASSERT_TRUE(request.Perform()) << ToUtf8(request.GetError());
    const StandinRecord record = OnlyRecord();
    EXPECT_EQ(record.at("raw.part_order"), kPublicationParts);
    EXPECT_EQ(record.at("content_length_header"), record.at("content_length"));
    EXPECT_EQ(record.at("transfer_encoding"), "");
    EXPECT_EQ(record.at("parsed.post.request_type"), "2");
    EXPECT_EQ(record.at("parsed.post.podcast_id"), "12");
    EXPECT_EQ(record.at("parsed.post.title"), "My show");
    EXPECT_EQ(record.at("parsed.post.description"), "About it");
    EXPECT_EQ(record.at("parsed.post.crc"), "NO-CRC");
    EXPECT_EQ(record.at("parsed.post.adv_spot"), "90000,1200000");
    EXPECT_EQ(record.at("parsed.post.audio_file_name"), ToUtf8(path));
    EXPECT_EQ(record.at("parsed.post.audio_file_size"), "300000");
    // The file part: named after the path's last component, typed, and byte for byte the file.
    EXPECT_EQ(record.at("raw.12.filename"), "2006-03-15-My_show.mp3");
    EXPECT_EQ(record.at("raw.12.content_type"), "audio/mpeg");
    EXPECT_EQ(record.at("raw.12.md5"), Md5Hex(bytes));
    EXPECT_EQ(record.at("parsed.file_order"), "audio_file");
    EXPECT_EQ(record.at("parsed.file.audio_file.name"), "2006-03-15-My_show.mp3");
    EXPECT_EQ(record.at("parsed.file.audio_file.type"), "audio/mpeg");
    EXPECT_EQ(record.at("parsed.file.audio_file.error"), "0");
    EXPECT_EQ(record.at("parsed.file.audio_file.size"), "300000");
    EXPECT_EQ(record.at("parsed.file.audio_file.md5"), Md5Hex(bytes));
    for (int part = 0; part < 12; ++part)
        EXPECT_EQ(record.count("raw." + std::to_string(part) + ".content_type"), 0u) << "text parts have no type";
}

TEST_F(ServerRequestTest, EmptySpotSetSendsAnEmptyAdvSpot) {
    const std::wstring path = MakeEpisode(L"Episodes", L"no-spots.mp3", 1000);
    CServerRequest request(nullptr, kLogin, kPassword, REQUEST_PUBLISH, 31, L"T", L"", path, {});
    ASSERT_TRUE(request.Perform()) << ToUtf8(request.GetError());
    const StandinRecord record = OnlyRecord();
    EXPECT_EQ(record.at("raw.9.name"), "adv_spot");
    EXPECT_EQ(record.at("raw.9.value"), "");
    EXPECT_EQ(record.at("parsed.post.adv_spot"), "");
    EXPECT_EQ(record.at("parsed.post.description"), "");
}

TEST_F(ServerRequestTest, UnicodeTitleAndDescriptionArriveAsUtf8) {
    const std::wstring title = L"\u00c9pisode \u2116 5: \u65e5\u672c \U0001F399";
    const std::wstring description = L"Zeile eins \u00fc\r\nline two \u0416";
    const std::wstring path = MakeEpisode(L"Episodes", L"unicode.mp3", 1000);
    CServerRequest request(nullptr, kUnicodeLogin, kUnicodePassword, REQUEST_PUBLISH, 7, title, description,
                           path, {5000});
    ASSERT_TRUE(request.Perform()) << ToUtf8(request.GetError());
    const StandinRecord record = OnlyRecord();
    EXPECT_EQ(record.at("parsed.post.title"), "\xc3\x89pisode \xe2\x84\x96 5: \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x8e\x99");
    EXPECT_EQ(record.at("parsed.post.description"), ToUtf8(description));
    EXPECT_EQ(record.at("parsed.post.login_name"), ToUtf8(kUnicodeLogin));
}

TEST_F(ServerRequestTest, UploadsFromAFolderOutsideTheAnsiCodePage) {
    const std::wstring folder = L"\u041f\u043e\u0434\u043a\u0430\u0441\u0442\u044b \u03a9 \u5c71 \U0001F399";
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, folder.c_str(), -1, nullptr, 0, nullptr, &lossy);
    ASSERT_TRUE(lossy) << "the folder name must not be representable in the ANSI code page";
    const std::wstring path = MakeEpisode(folder, L"\u00e9pisode \u0416.mp3", 200000);
    const std::string bytes = ReadWholeFile(path);
    ASSERT_EQ(bytes.size(), 200000u);
    CServerRequest request(nullptr, kLogin, kPassword, REQUEST_PUBLISH, 12, L"T", L"D", path, {});
    ASSERT_TRUE(request.Perform()) << ToUtf8(request.GetError());
    const StandinRecord record = OnlyRecord();
    EXPECT_EQ(record.at("parsed.post.audio_file_name"), ToUtf8(path));
    EXPECT_EQ(record.at("parsed.post.audio_file_size"), "200000");
    // The file part is named in the ANSI code page, whatever that makes of the name.
    EXPECT_EQ(record.at("raw.12.filename"), ToAnsi(L"\u00e9pisode \u0416.mp3"));
    EXPECT_NE(record.at("raw.12.filename"), ToUtf8(L"\u00e9pisode \u0416.mp3"));
    EXPECT_EQ(record.at("parsed.file.audio_file.md5"), Md5Hex(bytes));
    // The service kept the upload whole (stored under that name, which Wine cannot map back).
    WIN32_FIND_DATAW stored;
    const HANDLE search = FindFirstFileW((StandinDir() + L"\\uploads\\*.mp3").c_str(), &stored);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    FindClose(search);
    EXPECT_EQ(stored.nFileSizeLow, bytes.size());
}

TEST_F(ServerRequestTest, AnEmptyFileIsSentWithItsLengthNotChunked) {
    const std::wstring path = MakeEpisode(L"Episodes", L"empty.mp3", 0);
    CServerRequest request(nullptr, kLogin, kPassword, REQUEST_PUBLISH, 12, L"T", L"D", path, {});
    ASSERT_TRUE(request.Perform()) << ToUtf8(request.GetError());
    const StandinRecord record = OnlyRecord();
    EXPECT_EQ(record.at("transfer_encoding"), "");
    EXPECT_EQ(record.at("content_length_header"), record.at("content_length"));
    EXPECT_EQ(record.at("raw.12.size"), "0");
    EXPECT_EQ(record.at("parsed.post.audio_file_size"), "0");
}

TEST_F(ServerRequestTest, TheFileIsSentAgainFromItsStartWhenTheServerRefusesTheFirstTry) {
    // The server in front answers 417 to the expectation once the body has begun: libcurl must
    // rewind the file and send everything again on a new connection.
    g_settings.m_serverHost = L"127.0.0.1:" + std::to_wstring(EnvironmentPort("QB_STANDIN_EXPECT_PORT"));
    const std::wstring path = MakeEpisode(L"Episodes", L"resent.mp3", 8 << 20);
    CServerRequest request(nullptr, kLogin, kPassword, REQUEST_PUBLISH, 12, L"T", L"D", path, {});
    ASSERT_TRUE(request.Perform()) << ToUtf8(request.GetError());
    const StandinRecord record = OnlyRecord();
    EXPECT_EQ(record.at("expect"), "") << "the service saw only the second try";
    EXPECT_EQ(record.at("parsed.file.audio_file.size"), std::to_string(8 << 20));
    EXPECT_EQ(record.at("parsed.file.audio_file.md5"), Md5Hex(ReadWholeFile(path)));
}

TEST_F(ServerRequestTest, FileThatCannotBeReadFailsBeforeAnythingIsSent) {
    const std::wstring path = TestFolder(L"Episodes") + L"\\missing.mp3";
    CServerRequest request(nullptr, kLogin, kPassword, REQUEST_PUBLISH, 12, L"T", L"D", path, {});
    EXPECT_FALSE(request.Perform());
    EXPECT_EQ(request.GetError(), CurlText(CURLE_READ_ERROR));
    EXPECT_TRUE(StandinRecords().empty());
}

TEST_F(ServerRequestTest, FileLockedByAnotherWriterFailsLikeAMissingOne) {
    const std::wstring path = MakeEpisode(L"Episodes", L"locked.mp3", 1000);
    HANDLE exclusive = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
    CServerRequest request(nullptr, kLogin, kPassword, REQUEST_PUBLISH, 12, L"T", L"D", path, {});
    EXPECT_FALSE(request.Perform());
    EXPECT_EQ(request.GetError(), CurlText(CURLE_READ_ERROR));
    CloseHandle(exclusive);
}

}  // namespace

#include <gtest/gtest.h>
#include "service/update/update_reply.h"

namespace {

bool Offered(const wchar_t* version) {
    const UpdateReply reply =
        ParseUpdateReply(std::wstring(L"current_version=") + version + L"\nfile_location=x\nfile_size=1\n");
    return reply.error.empty() && IsNewerVersion(reply.major, reply.minor, 2, 8);
}

}  // namespace

TEST(UpdateReply, OfferedOnlyAboveTheRunningVersion) {
    EXPECT_TRUE(Offered(L"2.9"));
    EXPECT_FALSE(Offered(L"2.8"));
    EXPECT_FALSE(Offered(L"2.08"));
    EXPECT_FALSE(Offered(L"1.99"));
    EXPECT_TRUE(Offered(L"3"));
    EXPECT_TRUE(Offered(L"2.10"));
    EXPECT_FALSE(Offered(L"x.9"));
}

TEST(UpdateReply, ReadsTheFieldsOfATypicalReply) {
    const UpdateReply reply = ParseUpdateReply(
        L"current_version = 2.9\r\nfile_location=http://host/files/u.zip \r\nfile_size=1048576\r\n");
    EXPECT_EQ("", reply.error);
    EXPECT_EQ(2, reply.major);
    EXPECT_EQ(9, reply.minor);
    EXPECT_EQ(L"http://host/files/u.zip", reply.fileLocation);
    EXPECT_EQ(1048576, reply.fileSize);
    EXPECT_FALSE(reply.mustUpdate);
}

TEST(UpdateReply, RequiredExactlyForTrueInAnyCase) {
    const std::wstring base = L"current_version=3\nfile_location=a\nfile_size=2\nmust_update=";
    EXPECT_TRUE(ParseUpdateReply(base + L"TRUE").mustUpdate);
    EXPECT_TRUE(ParseUpdateReply(base + L" true ").mustUpdate);
    EXPECT_FALSE(ParseUpdateReply(base + L"yes").mustUpdate);
    EXPECT_FALSE(ParseUpdateReply(base + L"truey").mustUpdate);
}

TEST(UpdateReply, EachMissingKeyHasItsOwnErrorInOrder) {
    EXPECT_EQ("Error while getting update info: no software version in server response",
              ParseUpdateReply(L"file_location=a\nfile_size=1").error);
    EXPECT_EQ("Error while getting update info: no file location in server response",
              ParseUpdateReply(L"current_version=3\nfile_size=1").error);
    EXPECT_EQ("Error while getting update info: no file size in server response",
              ParseUpdateReply(L"current_version=3\nfile_location=a").error);
    EXPECT_EQ("", ParseUpdateReply(L"current_version=3\nfile_location=a\nfile_size=1").error);
}

TEST(UpdateReply, FirstOccurrenceCountsAndRunsOfLineBreaksAreOneBreak) {
    const UpdateReply reply = ParseUpdateReply(
        L"\r\n\r\r\ncurrent_version=3.1\n\n\rcurrent_version=9.9\r\r\rfile_location=a=b\n\nfile_size=7\r\n\r\n");
    EXPECT_EQ(3, reply.major);
    EXPECT_EQ(1, reply.minor);
    EXPECT_EQ(L"a=b", reply.fileLocation);  // split at the first "=" only
    EXPECT_EQ(7, reply.fileSize);
}

TEST(UpdateReply, ALineWithoutEqualsIsAKeyWithAnEmptyValue) {
    const UpdateReply reply = ParseUpdateReply(L"current_version\nfile_location\nfile_size\nmust_update");
    EXPECT_EQ("", reply.error);
    EXPECT_EQ(0, reply.major);
    EXPECT_EQ(L"", reply.fileLocation);
    EXPECT_FALSE(reply.mustUpdate);
    // Keys are compared exactly.
    EXPECT_NE("", ParseUpdateReply(L"Current_Version=3\nfile_location=a\nfile_size=1").error);
}

TEST(UpdateReply, NumbersTakeTheirLeadingDigitsAndNeverWrap) {
    const UpdateReply reply =
        ParseUpdateReply(L"current_version= 4 .12beta\nfile_location=a\nfile_size=99999999999999\n");
    EXPECT_EQ(4, reply.major);
    EXPECT_EQ(12, reply.minor);
    EXPECT_EQ(INT32_MAX, reply.fileSize);
}

TEST(UpdateReply, TheSignatureIsTakenOnlyFromItsOwnKeyWithTheVersionAsOffered) {
    const std::wstring base = L"current_version =  2.9 \nfile_location=a\nfile_size=1\n";
    const UpdateReply both = ParseUpdateReply(base + L"signature=old\nupdate_signature= new \n");
    EXPECT_EQ(L"2.9", both.offer.version);
    EXPECT_EQ(std::optional<std::wstring>(L"new"), both.offer.signature);
    // The archive's signature alone, which programs installed earlier read, is no signature here.
    EXPECT_FALSE(ParseUpdateReply(base + L"signature=old\n").offer.signature.has_value());
}

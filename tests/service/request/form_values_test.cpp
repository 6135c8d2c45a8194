#include <gtest/gtest.h>
#include <string>
#include "service/request/form_values.h"

namespace {

std::string Names(const std::vector<FormTextPart>& parts) {
    std::string names;
    for (const FormTextPart& part : parts) names += (names.empty() ? "" : ",") + part.name;
    return names;
}

TEST(FormValues, SpotListIsAscendingMillisecondsJoinedByCommas) {
    EXPECT_EQ(FormatSpotList({}), "");
    EXPECT_EQ(FormatSpotList({1200000, 90000}), "90000,1200000");
    EXPECT_EQ(FormatSpotList({0, 4294967295u}), "0,4294967295");
}

TEST(FormValues, LoginHasTheFirstFiveParts) {
    RequestFormInput input;
    input.type = REQUEST_LOGIN;
    input.login = "morning";
    input.password = "secret";
    input.title = "not sent";
    const std::vector<FormTextPart> parts = BuildTextParts(input);
    EXPECT_EQ(Names(parts), "request_type,login_name,password,audio_software_version,audio_software_version_ex");
    EXPECT_EQ(parts[0].value, "1");
    EXPECT_EQ(parts[1].value, "morning");
    EXPECT_EQ(parts[2].value, "secret");
    EXPECT_EQ(parts[3].value, "2");
    EXPECT_EQ(parts[4].value, "2.08");
}

TEST(FormValues, PublicationHasAllTextPartsInOrder) {
    RequestFormInput input;
    input.type = REQUEST_PUBLISH;
    input.podcastId = -5;
    input.title = "Title";
    input.description = "Two\r\nlines";
    input.filePath = "C:\\Users\\me\\My Podcasts\\a.mp3";
    input.fileSize = 5000000000ull;
    input.spots = {90000, 1200000};
    const std::vector<FormTextPart> parts = BuildTextParts(input);
    EXPECT_EQ(Names(parts),
              "request_type,login_name,password,audio_software_version,audio_software_version_ex,podcast_id,title,"
              "description,crc,adv_spot,audio_file_name,audio_file_size");
    EXPECT_EQ(parts[0].value, "2");
    EXPECT_EQ(parts[5].value, "-5");
    EXPECT_EQ(parts[7].value, "Two\r\nlines");
    EXPECT_EQ(parts[8].value, "NO-CRC");
    EXPECT_EQ(parts[9].value, "90000,1200000");
    EXPECT_EQ(parts[10].value, "C:\\Users\\me\\My Podcasts\\a.mp3");
    EXPECT_EQ(parts[11].value, "5000000000");
}

}  // namespace

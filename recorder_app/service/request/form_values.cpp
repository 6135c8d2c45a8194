#include "form_values.h"
#include <cstdio>
#include <boost/lexical_cast.hpp>
#include "runtime/version.h"

namespace {

constexpr char kPasswordPart[] = "password";

// "2.08"
std::string ExtendedVersionText() {
    char text[32];
    std::snprintf(text, sizeof text, "%d.%02d", kVersionMajor, kVersionMinor);
    return text;
}

}  // namespace

std::string FormatSpotList(const std::set<uint32_t>& spots) {
    std::string list;
    for (const uint32_t spot : spots) {
        if (!list.empty()) list += ',';
        list += boost::lexical_cast<std::string>(spot);
    }
    return list;
}

std::vector<FormTextPart> BuildTextParts(const RequestFormInput& input) {
    std::vector<FormTextPart> parts = {
        {"request_type", std::to_string(input.type)},
        {"login_name", input.login},
        {kPasswordPart, ""},
        {"audio_software_version", std::to_string(kVersionMajor)},
        {"audio_software_version_ex", ExtendedVersionText()},
    };
    if (input.type != REQUEST_PUBLISH) return parts;
    parts.push_back({"podcast_id", std::to_string(input.podcastId)});
    parts.push_back({"title", input.title});
    parts.push_back({"description", input.description});
    // The service does not check a checksum; the field stays for its form's sake.
    parts.push_back({"crc", "NO-CRC"});
    parts.push_back({"adv_spot", FormatSpotList(input.spots)});
    parts.push_back({"audio_file_name", input.filePath});
    parts.push_back({"audio_file_size", std::to_string(input.fileSize)});
    return parts;
}

FormTextPart* PasswordPart(std::vector<FormTextPart>* parts) {
    for (FormTextPart& part : *parts)
        if (part.name == kPasswordPart) return &part;
    return nullptr;
}

// The text parts of the "/publish.php" form, in the order the service reads them. Plain
// logic on UTF-8 strings; the file part is added by the request itself.
#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>
#include "runtime/wipe_text.h"

constexpr int REQUEST_LOGIN = 1;
constexpr int REQUEST_PUBLISH = 2;

// Name of the file part, after the text parts of a publication.
constexpr char kAudioFilePart[] = "audio_file";
constexpr char kAudioContentType[] = "audio/mpeg";

// The values hold the password: each is wiped when the part goes away.
struct FormTextPart {
    ~FormTextPart() { WipeText(&value); }
    std::string name;
    std::string value;
};

// Inputs of one request, already converted to UTF-8. The password is not among them: its
// UTF-8 form is made in one place only, the value of its own part, and wiped there.
struct RequestFormInput {
    int type = REQUEST_LOGIN;
    std::string login;
    int32_t podcastId = 0;
    std::string title;
    std::string description;
    std::string filePath;   // the full local path: the service shows it as the original name
    uint64_t fileSize = 0;  // 0 when the size could not be read
    std::set<uint32_t> spots;
};

// "90000,1200000": ascending milliseconds joined by commas, empty for no spots.
std::string FormatSpotList(const std::set<uint32_t>& spots);

// A login gets the first five parts; a publication all twelve text parts. The "password"
// part comes with an empty value, for the caller to fill in place (PasswordPart).
std::vector<FormTextPart> BuildTextParts(const RequestFormInput& input);

// The part of the parts that carries the password.
FormTextPart* PasswordPart(std::vector<FormTextPart>* parts);

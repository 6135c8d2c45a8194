#include <gtest/gtest.h>
#include "service/update/update_check.h"

TEST(UpdateCheck, QueriesTheUpdateProgramOnTheConfiguredHostWithTheRunningVersion) {
    CSettings settings;
    settings.m_serverHost = L"podcasts.example:8080";
    EXPECT_EQ(UpdateQueryAddress(settings, 2, 8), L"http://podcasts.example:8080/recorder-update.php?ver=2.8");
    EXPECT_EQ(UpdateQueryAddress(settings, 3, 0), L"http://podcasts.example:8080/recorder-update.php?ver=3.0");

    // A host too long for the address is cut, never overrun.
    settings.m_serverHost.assign(600, L'h');
    EXPECT_EQ(UpdateQueryAddress(settings, 2, 8).size(), 511u);
}

// The built program, started as a user would.
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

TEST(Program, WithoutADisplayExplainsInsteadOfAborting)
{
    TempDir dir;
    const std::string err = dir.file("stderr");
    const std::string command = std::string("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '") + FRETLARK_BIN
                                + "' >/dev/null 2>'" + err + "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(TempDir::read(err).find("Aucun écran n'est disponible"), std::string::npos);
}

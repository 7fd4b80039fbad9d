// SPDX-License-Identifier: GPL-3.0-or-later
// main() for tests that need widgets: one QuorvexApplication for the whole
// run, on the offscreen platform unless the environment chooses another.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ui/Application.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    quorvex::QuorvexApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

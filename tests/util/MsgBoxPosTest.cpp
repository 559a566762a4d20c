#include "support/ScriptedMessageBoxes.h"
#include "util/MsgBoxPos.h"

#include <gtest/gtest.h>

TEST(MsgBoxPos, placeholder) { EXPECT_EQ(ScriptedMessageBoxes::defaultAnswer(MB_YESNO | MB_DEFBUTTON2), IDNO); }

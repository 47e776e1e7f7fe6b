#include "MessageBox.h"
#include "RecordingPresenter.h"
#include "Settings.h"

#include <gtest/gtest.h>

TEST(MessageBox, WithoutPresenterQuestionsAreAnsweredNo)
{
    // Nobody to ask must never count as consent to overwrite or discard.
    EXPECT_EQ(ShowMessageBox("Внимание!", "Файл существует.Переписать?", MB_YESNO), IDNO);
    EXPECT_EQ(ShowMessageBox("ВНИМАНИЕ", "x", MB_OK), IDOK);
}

TEST(MessageBox, RecordingPresenterRecordsAndAnswersInOrder)
{
    RecordingPresenter rec;
    rec.answers = {IDYES, IDNO};
    EXPECT_EQ(ShowMessageBox("a", "b", MB_YESNO), IDYES);
    EXPECT_EQ(ShowMessageBox("c", "", MB_YESNO), IDNO);
    ShowPlainMessage("Не может быть одинаковых каналов");
    ASSERT_EQ(rec.messages.size(), 3u);
    EXPECT_EQ(rec.messages[1].caption, "c");
    EXPECT_EQ(rec.messages[1].text, "");
    EXPECT_EQ(rec.messages[2].kind, MessageKind::Plain);
    EXPECT_EQ(rec.messages[2].caption, "Sonorix");
}

TEST(Settings, StandInRecordHoldsTheFirstStartDefaults)
{
    const Settings& s = CurrentSettings();
    EXPECT_EQ(s.Chs, (std::array<int32_t, 6>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(s.VOLT, 0.00263);
    EXPECT_EQ(s.NULL_ADC, 1120);
    EXPECT_EQ(s.impuls, 1);
    EXPECT_FALSE(TestSignalFlag());
}

#include "ui/window_fixture.h"

namespace r742::test {
namespace {

using Strings = std::vector<std::string>;

TEST_F(MainWindowTest, ThreePressesFromOffThenListFull) {
  Open();
  for (int i = 0; i < 3; ++i) window->Click(IDC_ADD);
  EXPECT_EQ(Rows(IDC_CHANNEL_LIST), (Strings{"OFF", "V 1", "V 2"}));
  EXPECT_EQ(window->GetCurSel(IDC_AVAILABLE_LIST), 3);
  EXPECT_TRUE(platform.MessageBoxes().empty());

  window->Click(IDC_ADD);
  ASSERT_EQ(platform.MessageBoxes().size(), 1u);
  EXPECT_EQ(platform.MessageBoxes()[0].text, "List Full");
  EXPECT_EQ(platform.MessageBoxes()[0].caption, "The list is full");
  EXPECT_EQ(platform.MessageBoxes()[0].flags, MB_OK | MB_ICONEXCLAMATION);
  EXPECT_EQ(Rows(IDC_CHANNEL_LIST), (Strings{"OFF", "V 1", "V 2"}));
  EXPECT_EQ(window->GetCurSel(IDC_AVAILABLE_LIST), 3);
  EXPECT_EQ(Text(IDC_CH1_GROUP), "CH1-OFF");
  EXPECT_EQ(Text(IDC_CH2_GROUP), "CH2-V 1");
  EXPECT_EQ(Text(IDC_CH3_GROUP), "CH3-V 2");
  EXPECT_EQ(dlg.m_nParamCode, (std::array<int, 3>{0, 1, 2}));
  EXPECT_EQ(dlg.m_nPolarity, (std::array<int, 3>{0, 1, 1}));
}

TEST_F(MainWindowTest, AddInsertsInFrontOfAClickedRow) {
  Open();
  Assign({"V 1", "V 2"});
  window->SelectRow(IDC_CHANNEL_LIST, 0);
  Assign({"kW Sum"});
  EXPECT_EQ(Rows(IDC_CHANNEL_LIST), (Strings{"kW Sum", "V 1", "V 2"}));
  EXPECT_EQ(dlg.m_nParamCode[0], 15);
  EXPECT_EQ(dlg.m_nPolarity[0], 2);
  EXPECT_EQ(Text(IDC_CH3_GROUP), "CH3-V 2");
}

TEST_F(MainWindowTest, LastAvailableRowKeepsItsSelection) {
  Open();
  window->SelectRow(IDC_AVAILABLE_LIST, 48);
  window->Click(IDC_ADD);
  window->Click(IDC_ADD);
  EXPECT_EQ(Rows(IDC_CHANNEL_LIST), (Strings{"Max kVAd", "Max kVAd"}));  // the same parameter twice is allowed
  EXPECT_EQ(window->GetCurSel(IDC_AVAILABLE_LIST), 48);
}

TEST_F(MainWindowTest, RemoveTakesTheLastRowUnlessAnotherWasClicked) {
  Open();
  Assign({"V 1", "V 2", "V 3"});
  for (int ch = 0; ch < 3; ++ch) {
    window->Type(NominalBoxId(ch), std::to_string(50 + ch));
    window->Type(OffsetBoxId(ch), std::to_string(10 + ch));
  }
  window->Click(IDC_REMOVE);
  EXPECT_EQ(Rows(IDC_CHANNEL_LIST), (Strings{"V 1", "V 2"}));
  window->Click(IDC_REMOVE);
  EXPECT_EQ(Rows(IDC_CHANNEL_LIST), (Strings{"V 1"}));

  Assign({"V 2", "V 3"});
  window->SelectRow(IDC_CHANNEL_LIST, 0);
  window->Click(IDC_REMOVE);
  EXPECT_EQ(Rows(IDC_CHANNEL_LIST), (Strings{"V 2", "V 3"}));
  EXPECT_EQ(dlg.m_nParamCode, (std::array<int, 3>{2, 3, 0}));
  EXPECT_EQ(Text(IDC_CH3_GROUP), "CH3-");
  // Scaling belongs to the channel position, not to the parameter.
  EXPECT_EQ(dlg.m_fNominal, (std::array<float, 3>{50, 51, 52}));
  EXPECT_EQ(dlg.m_fZeroOffset, (std::array<float, 3>{10, 11, 12}));
}

TEST_F(MainWindowTest, ClearEmptiesEverything) {
  Open();
  Assign({"kW Sum", "Hz", "I 1"});
  window->Click(IDC_CLEAR);
  EXPECT_TRUE(Rows(IDC_CHANNEL_LIST).empty());
  for (int ch = 0; ch < 3; ++ch) {
    EXPECT_EQ(Text(GroupId(ch)), "CH" + std::to_string(ch + 1) + "-");
    EXPECT_EQ(Readouts(ch), (std::array<std::string, 3>{"     ", "     ", "     "}));
    EXPECT_EQ(Text(NominalLabelId(ch)), "Nominal 5-200%");
  }
  EXPECT_EQ(dlg.m_nParamCode, (std::array<int, 3>{0, 0, 0}));
  EXPECT_EQ(dlg.m_nPolarity, (std::array<int, 3>{0, 0, 0}));
  window->Click(IDC_REMOVE);  // nothing selected: only the refresh
  EXPECT_EQ(Text(IDC_CH1_GROUP), "CH1-");
}

}  // namespace
}  // namespace r742::test

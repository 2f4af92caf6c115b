#include "ui/window_fixture.h"

namespace r742::test {
namespace {

using Three = std::array<std::string, 3>;
const Three kBlank{"     ", "     ", "     "};
const Three kNoUnits{"  ", "  ", "  "};

TEST_F(MainWindowTest, ReadoutsFollowParameterClassAndScaling) {
  Open();
  Assign({"kW Sum", "V L1-2", "OFF"});
  EXPECT_EQ(Readouts(0), (Three{"+0.0", "+0.0", "-0.0"}));  // before a Read every output is zero, with its sign
  dlg.m_fFullScale = {20.0f, 20.0f, 20.0f};
  dlg.UpdateReadouts();
  EXPECT_EQ(Readouts(0), (Three{"+20.0", "+0.0", "-20.0"}));
  EXPECT_EQ(Units(0), (Three{"mA", "mA", "mA"}));
  EXPECT_EQ(Readouts(1), (Three{"+20.0", "+0.0", "     "}));
  EXPECT_EQ(Units(1), (Three{"mA", "mA", "  "}));
  EXPECT_EQ(Readouts(2), kBlank);
  EXPECT_EQ(Units(2), kNoUnits);

  window->Type(IDC_CH1_OFFSET, "20");
  EXPECT_EQ(Readouts(0), (Three{"+20.0", "+4.0", "-12.0"}));

  dlg.m_nOutputMode[1] = 0;
  dlg.m_fFullScale[1] = 10.0f;
  window->Type(IDC_CH2_NOMINAL, "100");
  EXPECT_EQ(Units(1), (Three{"V", "V", "  "}));
  EXPECT_EQ(Readouts(1), (Three{"+10.0", "+0.0", "     "}));
}

TEST_F(MainWindowTest, FrequencyChannelShowsItsWholeSpanAndSwitchesLabels) {
  Open();
  Assign({"OFF", "Hz"});
  EXPECT_EQ(Text(IDC_CH2_NOMINAL_LABEL), "Centre Frequency Hz");
  EXPECT_EQ(Text(IDC_CH2_OFFSET_LABEL), "Span +/- Hz");
  EXPECT_EQ(Text(IDC_CH1_NOMINAL_LABEL), "Nominal 5-200%");
  dlg.m_fFullScale[1] = 20.0f;
  window->Type(IDC_CH2_OFFSET, "95");  // a bad span does not blank a frequency channel
  EXPECT_EQ(Readouts(1), (Three{"+20.0", "+10.0", "+0.0"}));
  EXPECT_EQ(Units(1), (Three{"mA", "mA", "mA"}));

  window->Click(IDC_REMOVE);
  EXPECT_EQ(Text(IDC_CH2_NOMINAL_LABEL), "Nominal 5-200%");
  EXPECT_EQ(Text(IDC_CH2_OFFSET_LABEL), "Zero Offset %");

  // The node values of a frequency channel come from its centre and span; 0.0 for anything else.
  window->Type(IDC_CH1_NOMINAL, "50");
  window->Type(IDC_CH1_OFFSET, "5");
  EXPECT_EQ(dlg.FrequencyToNode(36, 1, 0), 150.0f);
  EXPECT_EQ(dlg.FrequencyToNode(36, 1, 1), -50.0f);
  for (auto [code, channel] : {std::pair{4, 1}, {36, 4}, {36, 0}}) EXPECT_EQ(dlg.FrequencyToNode(code, channel, 0), 0.0f);
}

TEST_F(MainWindowTest, TypedValuesAreLimitedButTheTextStays) {
  Open();
  struct Case {
    const char* text;
    float nominal;
    float offset;
  };
  // The reader's own cases are tested with it; these show the boxes reach it and the limits.
  const Case cases[] = {{"250", 200.0f, 0.0f}, {"2", 5.0f, 2.0f},   {"", 5.0f, 0.0f},        {"abc", 5.0f, 0.0f},
                        {"95", 95.0f, 0.0f},   {"90", 90.0f, 90.0f}, {"-50", 5.0f, -50.0f},  {"1e39", 200.0f, 0.0f},
                        {"-1e39", 5.0f, 0.0f}, {"nan", 5.0f, 0.0f},  {"12345678901", 200.0f, 0.0f}};
  for (const Case& c : cases) {
    window->Type(IDC_CH2_NOMINAL, c.text);
    window->Type(IDC_CH2_OFFSET, c.text);
    EXPECT_EQ(dlg.m_fNominal[1], c.nominal) << c.text;
    EXPECT_EQ(dlg.m_fZeroOffset[1], c.offset) << c.text;
    EXPECT_EQ(Text(IDC_CH2_NOMINAL), c.text);
  }
}

TEST_F(MainWindowTest, ValuesSetDirectlyOutsideTheLimitsBlankTheirReadouts) {
  Open();
  Assign({"kW Sum"});
  dlg.m_fFullScale[0] = 20.0f;
  dlg.m_fNominal[0] = 250.0f;  // as a node may report it before the limits are applied
  dlg.UpdateReadouts();
  EXPECT_EQ(Readouts(0), (Three{"     ", "     ", "-50.0"}));
  dlg.m_fNominal[0] = 100.0f;
  dlg.m_fZeroOffset[0] = 95.0f;
  dlg.UpdateReadouts();
  EXPECT_EQ(Readouts(0), (Three{"+20.0", "     ", "     "}));
}

}  // namespace
}  // namespace r742::test

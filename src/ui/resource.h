// Resource ids of the program's dialogs, controls, strings and commands.
#pragma once

namespace r742 {

// Dialog templates.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_MAIN = 102;
inline constexpr int IDD_PORT_SETUP = 131;
inline constexpr int IDD_HELP = 140;  // our own help window
inline constexpr int IDD_FIND_NODE = 150;

// Strings, icon and system-menu command.
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr unsigned IDM_ABOUTBOX = 16;
inline constexpr unsigned IDM_FIND_NODE = 32;  // the window's own entries after About
inline constexpr unsigned IDM_OPEN_CONFIG = 48;
inline constexpr unsigned IDM_SAVE_CONFIG = 64;
inline constexpr unsigned SC_MASK = 0xFFF0;

// Standard commands.
inline constexpr int ID_HELP = 57670;

// Main window controls.
inline constexpr int IDC_AVAILABLE_LIST = 1000;
inline constexpr int IDC_CHANNEL_LIST = 1001;
inline constexpr int IDC_CH1_NOMINAL_LABEL = 1002;
inline constexpr int IDC_CH2_NOMINAL_LABEL = 1003;
inline constexpr int IDC_CH3_NOMINAL_LABEL = 1004;
inline constexpr int IDC_CH1_UNIT1 = 1005;  // 1005..1013: three units per channel
inline constexpr int IDC_CH1_NOMINAL = 1014;
inline constexpr int IDC_CH1_OFFSET = 1015;
inline constexpr int IDC_CH2_NOMINAL = 1016;
inline constexpr int IDC_CH2_OFFSET = 1017;
inline constexpr int IDC_CH3_NOMINAL = 1018;
inline constexpr int IDC_CH3_OFFSET = 1019;
inline constexpr int IDC_CH1_POINT1 = 1020;  // 1020..1028: three read-outs per channel
inline constexpr int IDC_STATUS_RIGHT = 1029;
inline constexpr int IDC_ADD = 1030;
inline constexpr int IDC_REMOVE = 1031;
inline constexpr int IDC_CLEAR = 1032;
inline constexpr int IDC_TITLE_TEXT = 1033;
inline constexpr int IDC_SEND = 1034;
inline constexpr int IDC_READ = 1035;
inline constexpr int IDC_CH1_GROUP = 1036;
inline constexpr int IDC_CH2_GROUP = 1037;
inline constexpr int IDC_CH3_GROUP = 1038;
inline constexpr int IDC_STATUS_LEFT = 1039;
inline constexpr int IDC_RESPONSE_MS = 1040;
inline constexpr int IDC_NODE = 1041;
inline constexpr int IDC_RELEASE = 1042;
inline constexpr int IDC_LOG_LIST = 1051;
inline constexpr int IDC_SYS_VOLTS = 1052;
inline constexpr int IDC_SYS_AMPS = 1053;
inline constexpr int IDC_SYS_WATTS = 1054;
inline constexpr int IDC_SYS_TYPE = 1055;
inline constexpr int IDC_SYS_VOLTS_UNIT = 1056;
inline constexpr int IDC_SYS_AMPS_UNIT = 1057;
inline constexpr int IDC_SYS_WATTS_UNIT = 1058;
inline constexpr int IDC_CH1_OFFSET_LABEL = 1059;
inline constexpr int IDC_CH2_OFFSET_LABEL = 1060;
inline constexpr int IDC_CH3_OFFSET_LABEL = 1061;
inline constexpr int IDC_SHOW_MODBUS = 1064;
inline constexpr int IDC_LIMIT_LENGTH = 1065;
inline constexpr int IDC_FLOAT_ORDER = 1066;

// Port Setup controls.
inline constexpr int IDC_BAUD = 1006;
inline constexpr int IDC_PARITY = 1007;
inline constexpr int IDC_PORT = 1008;
inline constexpr int IDC_STOP_BITS = 1131;
inline constexpr int IDC_PORT_DEVICE = 1132;  // what the selected port stands for

// About box and help window controls.
inline constexpr int IDC_ABOUT_ICON = 1200;
inline constexpr int IDC_ABOUT_TEXT = 1201;
inline constexpr int IDC_HELP_TEXT = 1300;

// Find Node controls.
inline constexpr int IDC_FIND_PORT1 = 1400;    // 1400..1408: COM1..COM9
inline constexpr int IDC_FIND_BAUD1 = 1410;    // 1410..1415: the scan's baud rates in its order
inline constexpr int IDC_FIND_PARITY1 = 1420;  // 1420..1422: none, even, odd
inline constexpr int IDC_FIND_FIRST_NODE = 1430;
inline constexpr int IDC_FIND_LAST_NODE = 1431;
inline constexpr int IDC_FIND_TIMEOUT = 1432;
inline constexpr int IDC_FIND_START = 1433;
inline constexpr int IDC_FIND_STOP = 1434;
inline constexpr int IDC_FIND_PROGRESS = 1435;
inline constexpr int IDC_FIND_STATUS = 1436;
inline constexpr int IDC_FIND_LIST = 1437;

// Per-channel control ids, channel 0..2 for CH1..CH3.
inline constexpr int NominalBoxId(int ch) { return IDC_CH1_NOMINAL + 2 * ch; }
inline constexpr int OffsetBoxId(int ch) { return IDC_CH1_OFFSET + 2 * ch; }
inline constexpr int NominalLabelId(int ch) { return IDC_CH1_NOMINAL_LABEL + ch; }
inline constexpr int OffsetLabelId(int ch) { return IDC_CH1_OFFSET_LABEL + ch; }
inline constexpr int PointId(int ch, int point) { return IDC_CH1_POINT1 + 3 * ch + point; }  // point 0..2: top..bottom
inline constexpr int UnitId(int ch, int point) { return IDC_CH1_UNIT1 + 3 * ch + point; }
inline constexpr int GroupId(int ch) { return IDC_CH1_GROUP + ch; }

}  // namespace r742

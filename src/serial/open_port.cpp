#include "serial/open_port.h"

namespace r742 {
namespace {

// A read returns once the line has been quiet for 20 ms after data started,
// or after 1 ms per byte asked for plus 1 ms.
constexpr CommTimeouts kReplyTimeouts{.readInterval = 20, .readTotalMultiplier = 1, .readTotalConstant = 1};

bool FitsItsField(const std::string& text) { return text.size() <= kMaxSettingChars; }

}  // namespace

std::string CommDefinition(const LinkSettingsText& s) {
  return s.port + ": baud=" + s.baud + " parity=" + s.parity + " data=" + s.dataBits + " stop=" + s.stopBits;
}

PortOpening OpenConfiguredPort(const LinkSettingsText& settings, std::uint32_t inQueue, std::uint32_t outQueue) {
  IPortProvider& provider = CurrentPortProvider();
  PortOpening result;
  result.commDef = CommDefinition(settings);
  result.label = settings.port;
  const auto fail = [&](const std::string& reason) {
    result.reason = result.label + ": " + reason;
    result.port.reset();  // a handle opened by an earlier step is closed, not left behind
    return std::move(result);
  };

  result.step = "CreateFile";
  if (settings.port.empty()) return fail("no port chosen");
  if (!FitsItsField(settings.port)) return fail("a port name has at most 9 characters");
  result.label = provider.Label(settings.port);
  result.port = provider.Open(settings.port);
  if (!result.port) {
    result.refusalHint = provider.RefusalHint({settings.port});
    return fail(provider.OpenFailure(settings.port));
  }
  ISerialPort& port = *result.port;

  result.step = "Assign buffer space";
  if (!port.SetupComm(inQueue, outQueue)) return fail(port.LastErrorText());

  result.step = "Port Functionality";
  LineSettings dcb;
  if (!port.GetCommState(dcb)) return fail(port.LastErrorText());
  dcb.rtsToggle = true;
  dcb.abortOnError = true;
  for (const std::string* text : {&settings.baud, &settings.parity, &settings.dataBits, &settings.stopBits})
    if (!FitsItsField(*text)) return fail("\"" + *text + "\" is longer than 9 characters");
  if (result.commDef.size() > kMaxCommDefChars) return fail("the line settings are longer than 43 characters");
  std::string why;
  if (!port.BuildCommDCB(result.commDef, dcb, why)) return fail(why.empty() ? port.LastErrorText() : why);

  result.step = "Setting Comm State";
  if (!port.SetCommState(dcb)) return fail(port.LastErrorText());

  CommTimeouts timeouts;
  if (!port.GetCommTimeouts(timeouts)) return fail(port.LastErrorText());
  timeouts.readInterval = kReplyTimeouts.readInterval;
  timeouts.readTotalMultiplier = kReplyTimeouts.readTotalMultiplier;
  timeouts.readTotalConstant = kReplyTimeouts.readTotalConstant;
  if (!port.SetCommTimeouts(timeouts)) return fail(port.LastErrorText());

  result.device = provider.Describe(settings.port);
  return result;
}

}  // namespace r742

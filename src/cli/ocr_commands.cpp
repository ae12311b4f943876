// quorvix-cli ocr IMAGE [--json]: a picture recognised by the OCR service with the keys stored
// in RUNDIR/配置.ini, as a screenshot selection is. quorvix-cli ocr-keys API_KEY SECRET_KEY:
// the settings form's key test, with its verdicts and its storing rule; with --service URL the
// keys are tested at that service address and it is stored with them. Neither ever prints a
// key or a token.
#include <cstdio>
#include <string>
#include <vector>

#include "app/controllers/ocr_texts.h"
#include "capture/ocr_client.h"
#include "capture/ocr_inet_transport.h"
#include "capture/ocr_requests.h"
#include "capture/ocr_settings.h"
#include "cli/arguments.h"
#include "cli/bank_cli_support.h"
#include "cli/commands.h"
#include "cli/json_text.h"
#include "platform/cp936.h"
#include "platform/files.h"
#include "platform/utf8.h"

namespace cli {
namespace {

const char* const kOcrUsage = "ocr IMAGE [--json]";
const char* const kKeysUsage = "ocr-keys API_KEY SECRET_KEY [--service URL]";

// Far above any screenshot; the service itself takes only a few megabytes.
constexpr std::uint64_t kMaxImageBytes = std::uint64_t(64) << 20;

capture::OcrClient programClient(const Context& context) {
  return {capture::internetOcrTransport(), context.runDir, capture::ocrServiceUrlOverride()};
}

// The recognised text on one line of plain output. A NUL inside a word is shown as "\0" rather
// than ending the text there; a backslash of the text is already "\\".
std::string plainRecognisedLine(const std::string& gbk) {
  std::string out;
  for (char c : plainText(gbk)) {
    if (c == '\0')
      out += "\\0";
    else
      out += c;
  }
  return out + "\n";
}

int fail(const char* command, const std::string& utf8) {
  std::fprintf(stderr, "quorvix-cli %s: %s\n", command, utf8.c_str());
  return 1;
}

int runOcr(const Context& context) {
  Arguments args;
  int exit = 0;
  if (!parseCommandLine(context, kOcrUsage, {"--json"}, {}, 1, args, exit)) return exit;
  const auto image = fromUtf8Path(args.words[0]);
  const auto picture = platform::readFile(image, kMaxImageBytes);
  if (!picture) return fail("ocr", "cannot read " + args.words[0]);

  capture::OcrClient client = programClient(context);
  const capture::TokenFetchOutcome fetched = client.FetchAccessToken();
  if (fetched == capture::TokenFetchOutcome::kNoStoredKeys)
    return fail("ocr", "no OCR keys stored in " +
                           utf8Of(capture::settingsFilePath(context.runDir)) + " (see ocr-keys)");
  if (auto notice = app::ocr_texts::tokenFetchNotice(fetched))
    return fail("ocr", cp936::toUtf8(notice->text));

  const capture::Recognition recognition = client.RecognizeScreenshot(*picture);
  if (auto notice = app::ocr_texts::recognitionNotice(recognition.outcome))
    return fail("ocr", cp936::toUtf8(notice->text));
  if (args.has("--json")) {
    std::string lines;
    for (const std::string& line : recognition.lines)
      lines += (lines.empty() ? "" : ",") + jsonString(cp936::toUtf8(line));
    std::printf("{\"lines\":[%s],\"text\":%s}\n", lines.c_str(),
                jsonString(cp936::toUtf8(recognition.text)).c_str());
  } else {
    const std::string line = plainRecognisedLine(recognition.text);
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
  return 0;
}

int runOcrKeys(const Context& context) {
  Arguments args;
  int exit = 0;
  if (!parseCommandLine(context, kKeysUsage, {}, {"--service"}, 2, args, exit)) return exit;
  for (const std::string& key : args.words) {
    // Stored as program text: a character it cannot hold would store another key.
    if (cp936::unmappableCharacters(utf8::toUtf16(key)) != 0) {
      std::fprintf(stderr, "quorvix-cli ocr-keys: a key holds a character that cannot be stored\n");
      return 2;
    }
  }
  capture::OcrClient client = programClient(context);
  const capture::KeyTestResult result = client.TestOcrKeys(
      cp936::fromUtf8(args.words[0]), cp936::fromUtf8(args.words[1]), args.value("--service"));
  std::printf("%s\n", cp936::toUtf8(app::ocr_texts::keyTestNotice(result).text).c_str());
  return result.outcome == capture::KeyTestOutcome::kKeysAccepted && result.keysStored ? 0 : 1;
}

}  // namespace

void addOcrCommands(std::vector<Command>& table) {
  table.push_back(
      {"ocr", kOcrUsage, "recognise the text of a picture with the stored keys", runOcr});
  table.push_back({"ocr-keys", kKeysUsage,
                   "test OCR keys (at a service address) and store them unless one is refused",
                   runOcrKeys});
}

}  // namespace cli

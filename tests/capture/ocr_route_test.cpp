// The choice of recognition in the settings file: older files without it read as before, a
// stored choice wins and survives the keys being stored again, and the provider chosen sends
// nothing to a stored address.
#include "capture/ocr_route.h"

#include <gtest/gtest.h>

#include "../platform/fresh_folder.h"
#include "capture/ocr_client.h"
#include "capture/ocr_settings.h"
#include "platform/cp936.h"
#include "platform/files.h"

namespace {

using capture::OcrRoute;

TEST(OcrRoute, FilesWithoutAChoiceReadAsBefore) {
  auto dir = freshFolder("ocr-route-old");
  EXPECT_EQ(capture::LoadOcrRoute(dir), OcrRoute::kLocal) << "no file: no keys";
  ASSERT_TRUE(capture::StoreOcrKeys(dir, {"api", "secret"}));
  EXPECT_EQ(capture::LoadOcrRoute(dir), OcrRoute::kCloud);
  ASSERT_TRUE(capture::StoreOcrKeys(dir, {"api", "secret"}, "https://ocr.example:8443"));
  EXPECT_EQ(capture::LoadOcrRoute(dir), OcrRoute::kService);
  ASSERT_TRUE(capture::StoreOcrKeys(dir, {"api", ""}));
  EXPECT_EQ(capture::LoadOcrRoute(dir), OcrRoute::kLocal) << "one key alone is no keys";
}

TEST(OcrRoute, AStoredChoiceWinsAndOutlivesTheKeys) {
  auto dir = freshFolder("ocr-route-chosen");
  ASSERT_TRUE(capture::StoreOcrRoute(dir, OcrRoute::kLocal));
  ASSERT_TRUE(capture::StoreOcrKeys(dir, {"api", "secret"}, "https://ocr.example:8443"));
  EXPECT_EQ(capture::LoadOcrRoute(dir), OcrRoute::kLocal);
  ASSERT_TRUE(capture::StoreOcrRoute(dir, OcrRoute::kCloud));
  EXPECT_EQ(capture::LoadStoredOcrRoute(dir), OcrRoute::kCloud);
  EXPECT_EQ(capture::LoadOcrSettings(dir).secretKey, "secret") << "the keys are kept";

  // A value edited by hand into something else is no choice.
  ASSERT_TRUE(platform::writeFileAtomic(capture::settingsFilePath(dir),
                                        cp936::fromUtf8("[百度识别]\r\n识别方式=本地\r\n")));
  EXPECT_EQ(capture::LoadStoredOcrRoute(dir), std::nullopt);
  EXPECT_EQ(capture::LoadOcrRoute(dir), OcrRoute::kLocal);
}

TEST(OcrRoute, TheProviderChosenIsAskedEvenWithAnAddressStored) {
  auto dir = freshFolder("ocr-route-provider");
  capture::OcrClient client({}, dir, "");
  ASSERT_TRUE(capture::StoreOcrKeys(dir, {"api", "secret"}, "https://ocr.example:8443"));
  EXPECT_EQ(client.serviceAddress(), "https://ocr.example:8443");
  ASSERT_TRUE(capture::StoreOcrRoute(dir, OcrRoute::kCloud));
  EXPECT_NE(client.serviceAddress().find("baidu"), std::string::npos);
  ASSERT_TRUE(capture::StoreOcrRoute(dir, OcrRoute::kService));
  EXPECT_EQ(client.serviceAddress(), "https://ocr.example:8443");
  EXPECT_EQ(capture::LoadOcrServiceAddress(dir), "https://ocr.example:8443");
}

}  // namespace

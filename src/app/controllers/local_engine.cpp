#include "app/controllers/local_engine.h"

#include "app/controllers/program_text.h"
#include "platform/cp936.h"
#include "recognition/grey_picture.h"

namespace app {

std::shared_ptr<recognition::Recognizer> LocalEngine::acquire(recognition::LoadProblem& problem) {
  std::lock_guard<std::mutex> hold(lock_);
  problem = {};
  if (!engine_ && loader_) engine_ = loader_(problem);
  if (!engine_ && problem.error == recognition::LoadError::kNone)
    problem.error = recognition::LoadError::kMissingFolder;
  return engine_;
}

bool LocalEngine::loaded() const {
  std::lock_guard<std::mutex> hold(lock_);
  return engine_ != nullptr;
}

capture::Recognition recognizeLocally(recognition::Recognizer& engine, const std::string& bmp) {
  capture::Recognition result;
  const recognition::DecodedPicture decoded = recognition::decodePicture(bmp);
  if (decoded.error == recognition::PictureError::kTooSmall) {
    result.outcome = capture::RecognitionOutcome::kNoText;  // too small to hold a character
    return result;
  }
  if (decoded.error != recognition::PictureError::kNone) {
    result.outcome = capture::RecognitionOutcome::kServiceError;
    return result;
  }
  const recognition::RecognizedText text =
      recognition::recognizeScreenshot(engine, decoded.picture);
  if (!text.ok) {
    result.outcome = capture::RecognitionOutcome::kServiceError;
    return result;
  }
  for (const std::string& line : text.lines) {
    result.lines.push_back(cp936::fromUtf8(line));
    result.text += result.lines.back();
  }
  result.outcome = result.lines.empty() ? capture::RecognitionOutcome::kNoText
                                        : capture::RecognitionOutcome::kRecognized;
  return result;
}

std::string engineProblemNotice(const recognition::LoadProblem& problem) {
  using recognition::LoadError;
  const std::string path = cp936::fromUtf8(problem.path);
  switch (problem.error) {
    case LoadError::kNone:
      return {};
    case LoadError::kMissingFolder:
      return gbk("本地识别不可用：找不到识别数据文件夹 ") + path +
             gbk("，请重新安装或在设置中填写秘钥！");
    case LoadError::kMissingModel:
      return gbk("本地识别不可用：缺少识别模型 ") + path + gbk("，请重新安装或在设置中填写秘钥！");
    case LoadError::kDamagedModel:
      return gbk("本地识别不可用：识别模型 ") + path +
             gbk(" 已损坏，请重新安装或在设置中填写秘钥！");
  }
  return {};
}

}  // namespace app

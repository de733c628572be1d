#include "GrabTexts.h"

#include "SaveReport.h"

std::string GrabStatusText(size_t movies, int deniedFrames, int withoutSource, int cutLists, int maxItems)
{
    std::string text = "找到 " + std::to_string(movies) + " 个Flash";
    if (deniedFrames > 0) text += "，" + std::to_string(deniedFrames) + " 个框架无法读取";
    if (withoutSource > 0) text += "，" + std::to_string(withoutSource) + " 个Flash元素没有地址";
    if (cutLists > 0) text += "，网页元素太多，只查看了每类的前 " + std::to_string(maxItems) + " 个";
    return text;
}

std::string GrabReportText(const TGrabSummary& s)
{
    std::string text = "已保存 " + std::to_string(s.Saved) + " 个Flash文件";
    if (s.FromCache > 0) text += "（其中 " + std::to_string(s.FromCache) + " 个来自缓存）";
    text += "。";
    for (const auto& [file, problem] : s.Unsound) text += "\r\n" + file + "（已保留）：" + problem;
    if (!s.Failures.empty()) text += "\r\n" + std::to_string(s.Failures.size()) + " 个没有保存：";
    for (const auto& [address, reason] : s.Failures) text += "\r\n" + address + "：" + reason;
    if (s.NotStarted > 0) text += "\r\n已取消，" + std::to_string(s.NotStarted) + " 个没有保存。";
    return text;
}

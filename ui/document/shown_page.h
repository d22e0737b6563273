#pragma once

namespace velmora {

class ContentView;

/// The page a window shows, whatever frame holds it.
enum class ShownPage { Basic, Comparison, Insights, Calibration };

[[nodiscard]] ShownPage shownPage(const ContentView& content);

}  // namespace velmora

#include "velmoran_nav2_sim/svg_plot.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <stdexcept>

#include <fmt/format.h>

#include "velmoran_nav2_sim/result_table.hpp"

namespace velmoran_nav2_sim
{

namespace
{
/// The scale of maps up to kMaxMapPixels / kPixelsPerMetre metres across; larger maps shrink.
constexpr double kPixelsPerMetre = 60.0;
constexpr double kMaxMapPixels = 3000.0;
/// Grid lines per axis at most: the grid's spacing grows from 1 m in steps of 1, 2, 5.
constexpr double kMaxGridLines = 100.0;
constexpr double kMargin = 0.8;
constexpr double kLegendWidth = 480.0;
constexpr double kTitleHeight = 40.0;

std::string escape(const std::string & text)
{
  std::string escaped;
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

/// Map metres to picture pixels (y up in the map, down in the picture).
class Frame
{
public:
  explicit Frame(const SvgPlot::Content & content)
  {
    include({content.start.x, content.start.y});
    for (const auto & obstacle : content.obstacles) {
      includeAll(obstacle);
    }
    for (const auto & sample : content.trajectory) {
      include({sample.pose.x, sample.pose.y});
    }
    for (const auto & job : content.jobs) {
      for (const auto & goal : job.goals) {
        include({goal.x, goal.y});
      }
      for (const auto & zone : job.zones) {
        includeAll(zone);
      }
      includeAll(job.lift_car);
    }
    if (!(min_x_ <= max_x_)) {
      min_x_ = max_x_ = min_y_ = max_y_ = 0.0;
    }
    const double extent = std::max(max_x_ - min_x_, max_y_ - min_y_) + 2 * kMargin;
    grid_ = 1.0;
    for (double decade = 1.0; extent / grid_ > kMaxGridLines; decade *= 10.0) {
      for (const double step : {1.0, 2.0, 5.0, 10.0}) {
        grid_ = step * decade;
        if (extent / grid_ <= kMaxGridLines) {
          break;
        }
      }
    }
    min_x_ = std::floor((min_x_ - kMargin) / grid_) * grid_;
    min_y_ = std::floor((min_y_ - kMargin) / grid_) * grid_;
    max_x_ = std::ceil((max_x_ + kMargin) / grid_) * grid_;
    max_y_ = std::ceil((max_y_ + kMargin) / grid_) * grid_;
    scale_ = std::min(kPixelsPerMetre, kMaxMapPixels / std::max(max_x_ - min_x_, max_y_ - min_y_));
  }

  double x(double metres) const { return (metres - min_x_) * scale_; }
  double y(double metres) const { return kTitleHeight + (max_y_ - metres) * scale_; }
  double width() const { return (max_x_ - min_x_) * scale_; }
  double height() const { return (max_y_ - min_y_) * scale_; }
  double minX() const { return min_x_; }
  double maxX() const { return max_x_; }
  double minY() const { return min_y_; }
  double maxY() const { return max_y_; }
  /// Metres between grid lines.
  double grid() const { return grid_; }
  /// Grid lines across x and across y, the first on minX() and minY().
  int gridLinesX() const { return static_cast<int>(std::lround((max_x_ - min_x_) / grid_)) + 1; }
  int gridLinesY() const { return static_cast<int>(std::lround((max_y_ - min_y_) / grid_)) + 1; }

  std::string points(const Polygon2D & polygon) const
  {
    std::string text;
    for (const auto & point : polygon) {
      text += fmt::format("{:.1f},{:.1f} ", x(point.x), y(point.y));
    }
    return text;
  }

private:
  void include(const Point2D & point)
  {
    // Nothing lies outside the world; a point that did would not size the picture.
    if (!insideWorld(point.x, point.y)) {
      return;
    }
    min_x_ = std::min(min_x_, point.x);
    min_y_ = std::min(min_y_, point.y);
    max_x_ = std::max(max_x_, point.x);
    max_y_ = std::max(max_y_, point.y);
  }
  void includeAll(const Polygon2D & polygon)
  {
    for (const auto & point : polygon) {
      include(point);
    }
  }

  double min_x_ = std::numeric_limits<double>::infinity();
  double min_y_ = std::numeric_limits<double>::infinity();
  double max_x_ = -std::numeric_limits<double>::infinity();
  double max_y_ = -std::numeric_limits<double>::infinity();
  double grid_ = 1.0;
  double scale_ = kPixelsPerMetre;
};

void drawGrid(std::string & svg, const Frame & frame)
{
  svg += "<g id=\"grid\" stroke=\"#e4e4e4\" stroke-width=\"1\">\n";
  for (int line = 0; line < frame.gridLinesX(); ++line) {
    svg += fmt::format(
      "<line x1=\"{0:.1f}\" y1=\"{1:.1f}\" x2=\"{0:.1f}\" y2=\"{2:.1f}\"/>\n",
      frame.x(frame.minX() + line * frame.grid()), frame.y(frame.maxY()), frame.y(frame.minY()));
  }
  for (int line = 0; line < frame.gridLinesY(); ++line) {
    svg += fmt::format(
      "<line x1=\"{0:.1f}\" y1=\"{1:.1f}\" x2=\"{2:.1f}\" y2=\"{1:.1f}\"/>\n",
      frame.x(frame.minX()), frame.y(frame.minY() + line * frame.grid()), frame.x(frame.maxX()));
  }
  svg += "</g>\n";
  svg += fmt::format(
    "<g id=\"axes\" stroke=\"#555\" stroke-width=\"2\"><line x1=\"{0:.1f}\" y1=\"{1:.1f}\" "
    "x2=\"{2:.1f}\" y2=\"{1:.1f}\"/><line x1=\"{0:.1f}\" y1=\"{1:.1f}\" x2=\"{0:.1f}\" "
    "y2=\"{3:.1f}\"/></g>\n",
    frame.x(0.0), frame.y(0.0), frame.x(1.0), frame.y(1.0));
  svg += fmt::format(
    "<text x=\"{:.1f}\" y=\"{:.1f}\" font-size=\"12\" fill=\"#555\">map frame, {} m grid</text>\n",
    frame.x(frame.minX()) + 4, frame.y(frame.minY()) - 6, frame.grid());
}

void drawAreas(std::string & svg, const Frame & frame, const SvgPlot::Content & content)
{
  svg += "<g id=\"obstacles\" fill=\"#6b6b6b\" stroke=\"#333\">\n";
  for (const auto & obstacle : content.obstacles) {
    svg += fmt::format("<polygon points=\"{}\"/>\n", frame.points(obstacle));
  }
  svg += "</g>\n<g id=\"zones\">\n";
  for (const auto & job : content.jobs) {
    for (const auto & zone : job.zones) {
      svg += fmt::format(
        "<polygon points=\"{}\" fill=\"#b9e4b0\" fill-opacity=\"0.7\" stroke=\"{}\" "
        "stroke-dasharray=\"6 3\"/>\n",
        frame.points(zone), SvgPlot::colour(job.number));
    }
    for (const auto & residue : job.residues) {
      svg += fmt::format(
        "<polygon class=\"residue\" points=\"{}\" fill=\"#f6b26b\" fill-opacity=\"0.8\" "
        "stroke=\"#c45f00\"/>\n",
        frame.points(residue));
    }
  }
  svg += "</g>\n<g id=\"elevator\" fill=\"#cfe2f3\" stroke=\"#1c4587\" stroke-width=\"2\">\n";
  for (const auto & job : content.jobs) {
    if (job.lift_car.size() >= 3) {
      svg += fmt::format("<polygon points=\"{}\"/>\n", frame.points(job.lift_car));
      svg += fmt::format(
        "<text x=\"{:.1f}\" y=\"{:.1f}\" font-size=\"11\" fill=\"#1c4587\" stroke=\"none\">"
        "elevator car</text>\n",
        frame.x(job.lift_car.front().x) + 3, frame.y(job.lift_car.front().y) - 4);
    }
  }
  svg += "</g>\n";
}

void drawTrajectory(std::string & svg, const Frame & frame, const SvgPlot::Content & content)
{
  svg += "<g id=\"trajectory\" fill=\"none\" stroke-width=\"2.5\" stroke-linejoin=\"round\">\n";
  const auto & samples = content.trajectory;
  std::size_t begin = 0;
  while (begin < samples.size()) {
    std::size_t end = begin + 1;
    while (end < samples.size() && samples[end].tag == samples[begin].tag) {
      ++end;
    }
    // Each run starts where the previous one ended, so the line stays joined.
    std::string points = begin > 0 ? fmt::format(
                                       "{:.1f},{:.1f} ", frame.x(samples[begin - 1].pose.x),
                                       frame.y(samples[begin - 1].pose.y))
                                   : std::string();
    for (std::size_t i = begin; i < end; ++i) {
      points +=
        fmt::format("{:.1f},{:.1f} ", frame.x(samples[i].pose.x), frame.y(samples[i].pose.y));
    }
    // A run of one sample (the start, or a job that did not move) draws nothing.
    if (begin > 0 || end - begin > 1) {
      const std::string colour =
        samples[begin].tag > 0 ? SvgPlot::colour(samples[begin].tag) : "#999";
      svg += fmt::format("<polyline points=\"{}\" stroke=\"{}\"/>\n", points, colour);
    }
    begin = end;
  }
  svg += "</g>\n";
}

void drawGoals(std::string & svg, const Frame & frame, const SvgPlot::Content & content)
{
  svg += "<g id=\"goals\" stroke-width=\"2\">\n";
  for (const auto & job : content.jobs) {
    for (const auto & goal : job.goals) {
      const double x = frame.x(goal.x);
      const double y = frame.y(goal.y);
      svg += fmt::format(
        "<circle cx=\"{:.1f}\" cy=\"{:.1f}\" r=\"6\" fill=\"white\" stroke=\"{}\"/>"
        "<line x1=\"{:.1f}\" y1=\"{:.1f}\" x2=\"{:.1f}\" y2=\"{:.1f}\" stroke=\"{}\"/>\n",
        x, y, SvgPlot::colour(job.number), x, y, x + 14 * std::cos(goal.yaw),
        y - 14 * std::sin(goal.yaw), SvgPlot::colour(job.number));
    }
  }
  svg += fmt::format(
    "<rect x=\"{:.1f}\" y=\"{:.1f}\" width=\"12\" height=\"12\" fill=\"#222\"/>\n",
    frame.x(content.start.x) - 6, frame.y(content.start.y) - 6);
  svg += "</g>\n";
}

void drawLegend(std::string & svg, const Frame & frame, const SvgPlot::Content & content)
{
  const double left = frame.width() + 20;
  double y = kTitleHeight + 10;
  svg += "<g id=\"legend\" font-size=\"13\">\n";
  for (const auto & job : content.jobs) {
    svg += fmt::format(
      "<line x1=\"{:.1f}\" y1=\"{:.1f}\" x2=\"{:.1f}\" y2=\"{:.1f}\" stroke=\"{}\" "
      "stroke-width=\"4\"/><text x=\"{:.1f}\" y=\"{:.1f}\">{} {} ({}): {}</text>\n",
      left, y, left + 24, y, SvgPlot::colour(job.number), left + 30, y + 4, job.number,
      escape(job.name), escape(ResultTable::runModeName(job.run_mode)), escape(job.shownOutcome()));
    y += 20;
  }
  y += 10;
  const std::array<std::pair<const char *, const char *>, 5> keys{
    {{"#6b6b6b", "obstacle"},
     {"#b9e4b0", "zone to cover"},
     {"#f6b26b", "zone left (residue)"},
     {"#cfe2f3", "elevator car"},
     {"#222", "start"}}};
  for (const auto & [fill, label] : keys) {
    svg += fmt::format(
      "<rect x=\"{:.1f}\" y=\"{:.1f}\" width=\"24\" height=\"12\" fill=\"{}\" stroke=\"#555\"/>"
      "<text x=\"{:.1f}\" y=\"{:.1f}\">{}</text>\n",
      left, y - 6, fill, left + 30, y + 4, label);
    y += 20;
  }
  svg += "<text x=\"" + fmt::format("{:.1f}", left) + "\" y=\"" + fmt::format("{:.1f}", y + 4) +
         "\">circle + line: goal pose and heading</text>\n";
  svg += "</g>\n";
}
}  // namespace

std::string SvgPlot::colour(int job_number)
{
  static const std::array<const char *, 10> palette{"#1f77b4", "#ff7f0e", "#2ca02c", "#d62728",
                                                    "#9467bd", "#8c564b", "#e377c2", "#17becf",
                                                    "#bcbd22", "#7f7f7f"};
  return palette[static_cast<std::size_t>(std::max(job_number - 1, 0)) % palette.size()];
}

std::string SvgPlot::render(const Content & content)
{
  const Frame frame(content);
  const double width = frame.width() + kLegendWidth;
  const double height = std::max(
    frame.height() + kTitleHeight + 10,
    kTitleHeight + 20 * static_cast<double>(content.jobs.size() + 8));
  std::string svg = fmt::format(
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"{0:.0f}\" height=\"{1:.0f}\" "
    "viewBox=\"0 0 {0:.0f} {1:.0f}\" font-family=\"sans-serif\">\n"
    "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
    "<text x=\"10\" y=\"26\" font-size=\"18\" font-weight=\"bold\">{2}</text>\n",
    width, height, escape(content.title));
  drawGrid(svg, frame);
  drawAreas(svg, frame, content);
  drawTrajectory(svg, frame, content);
  drawGoals(svg, frame, content);
  drawLegend(svg, frame, content);
  svg += "</svg>\n";
  return svg;
}

void SvgPlot::write(const Content & content, const std::string & path)
{
  const std::filesystem::path file(path);
  if (file.has_parent_path()) {
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
  }
  std::ofstream stream(path);
  stream << render(content);
  if (!stream) {
    throw std::runtime_error("cannot write the plot to " + path);
  }
}

}  // namespace velmoran_nav2_sim

// Pictures of a slug test as SVG, in the two standard views:
//
//   type curve  H/Ho on a linear axis against log time (the type-curve
//               plot of Cooper, Bredehoeft and Papadopulos, 1967);
//   semi-log    log H/Ho against linear time (the straight-line plot of
//               Hvorslev, 1951, and Bouwer and Rice, 1976);
//   linear      H/Ho against linear time with the zero line: the plot of
//               an oscillatory response, whose heads swing through zero
//               (Butler 1998, ch. 9).
//
// The run's picture shows the computed response, the fit's picture the
// observations with the fitted curve and a panel of residuals under it.
// Both share one style: a box with the title and the key parameters, the
// units in the axis labels, tick labels in one form, and a note of what
// could not be drawn. Gridlines carry their value in a data-value
// attribute so that scripts and tests can read the picture back exactly.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/well_model.hpp"
#include "report/units.hpp"

namespace slug {

// Text made safe for XML character data and attribute values: & < > " '
// become entity references; bytes that are not valid UTF-8 are taken as
// Latin-1 characters (U+00A0..U+00FF; U+0080..U+009F become U+FFFD);
// characters that XML 1.0 forbids (control characters other than tab,
// line feed and carriage return) become U+FFFD.
std::string xml_escape(std::string_view text);

// Which view a picture shows; both places the type-curve and semi-log
// views side by side.
enum class PlotView { TypeCurve, Semilog, Both, Linear };

// "typecurve", "semilog", "both" or "linear"; nullopt for anything else.
std::optional<PlotView> parse_plot_view(std::string_view text);

// What a picture carries besides its data.
struct PlotLabels {
    std::string title;             // input file's title line (trailing blanks dropped)
    std::vector<std::string> key;  // lines of the title box under the title
    Units units;                   // axis labels; unnamed: "time unit of the input file"
    PlotView view = PlotView::TypeCurve;
};

// Key parameters of a well for the title box: KR, KZ/KR, SS, SY, b, Ho,
// the radii and the skin, with their units when named.
std::vector<std::string> well_key_lines(const WellInput& w, const Units& u);

// The computed response, H/Ho (ratio) against time; arrays in table order
// and of one length. Points that a view cannot place (time not positive on
// the log time axis; H/Ho zero or below the plotted decades on the log H/Ho
// axis; values not finite) are left out and the picture says how many.
std::string response_svg(const PlotLabels& labels, std::span<const double> time,
                         std::span<const double> ratio);
// The same in the type-curve view with only a title.
std::string response_svg(std::string_view title, std::span<const double> time,
                         std::span<const double> ratio);

// Writes response_svg(title, time, ratio) to path (replacing the file).
// Returns true on success; on failure false with the reason in error.
bool write_response_svg(const std::string& path, std::string_view title,
                        std::span<const double> time,
                        std::span<const double> ratio, std::string& error);

// Data of the fit's picture, all as H/Ho: the observations (points), the
// fitted curve (a line in time order) and the residuals observed - fitted
// at the observation times (a panel under each view; none when empty).
struct FitPlotData {
    std::span<const double> obs_time, obs_ratio;
    std::span<const double> curve_time, curve_ratio;
    std::span<const double> residual;
};
std::string fit_plot_svg(const PlotLabels& labels, const FitPlotData& data);

}  // namespace slug

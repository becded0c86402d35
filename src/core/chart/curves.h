#pragma once
// What is drawn on an empty chart: the curves of ear result records and the point marks that show a
// recorded frequency without its level.
#include <cstdint>

#include "core/chart/ohr_graph.h"
#include "core/hearing/ear_result.h"

namespace kelvor::chart {

// Fills `norm_values` with the normal hearing thresholds of every scale position.
void build_norm_values(hearing::TEarResult& norm_values);

// Joins the record's filled entries inside f_min..f_max in index order with 2-pixel segments; empty
// entries are bridged. The frequencies stored in the entries are not used: positions are the indices.
void draw_line(TOhrGraph& graph, const hearing::TEarResult& record, Rgb colour, std::uint16_t f_min,
               std::uint16_t f_max);

// Marks sit on the 40 dB line at the index. They leave the outline colour they set.
void draw_mark(TOhrGraph& graph, std::uint8_t index);
void draw_mark_centre(TOhrGraph& graph, std::uint8_t index);
// Paints the mark over in the plot background and redraws the grid line under it.
void erase_mark(TOhrGraph& graph, std::uint8_t index);

} // namespace kelvor::chart

// A solvent library file as users write it: the shipped library's header row.
#pragma once

#include <string_view>

namespace quillmere::test {

//! The columns of the shipped library, in its order, as the header row of a library file.
inline constexpr std::string_view kSolventLibraryHeader =
    "name,cas,antoine_a,antoine_b,antoine_c,antoine_min_C,antoine_max_C,antoine_source,"
    "boiling_point_C,boiling_point_source,molecular_weight,molecular_weight_source,"
    "density_g_cm3,density_temperature_C,density_source,specific_heat_kJ_kgK,"
    "specific_heat_source,heat_of_vaporization_kJ_kg,heat_of_vaporization_source,"
    "diffusivity_m2_s,diffusivity_source,lel_percent,lel_source,flash_point_C,"
    "flash_point_source\n";

}  // namespace quillmere::test

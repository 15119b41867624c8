// The solvent library: for each solvent its vapour pressure constants (Antoine, with their
// valid range), molecular weight, the properties the model takes as inputs, and what a plant
// engineer needs of it (lower explosive limit, flash point), each value with its source. The
// library ships with the program (data/solvents.csv, built in and installed beside it); a
// user's own solvents come from $XDG_DATA_HOME/quillmere/solvents.csv and from a file named on
// the command line, in the same columns.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/Error.h"
#include "params/FieldTexts.h"

namespace quillmere {

//! What the solvent choice holds when the user chose none: the pair of the original inputs,
//! exactly as the fields' defaults give it.
inline constexpr std::string_view kAsSpecified = "as specified";

//! A value of the library as written there ("." decimals), with where it comes from.
struct SolventValue {
  std::optional<double> Value;  //!< nullopt where the library gives none
  std::string Text;             //!< as written in the library, "" where none
  std::string Source;           //!< the source's short name ("Poling", "CRC")
};

struct Solvent {
  std::string Name;                 //!< as chosen ("Ethyl acetate")
  std::string Cas;                  //!< CAS registry number
  SolventValue AntoineA;            //!< log10(p / mmHg) = A - B / (T / °C + C)
  SolventValue AntoineB;            //!< [°C]
  SolventValue AntoineC;            //!< [°C]
  double AntoineMin = 0;            //!< lowest temperature of the set's source data [°C]
  double AntoineMax = 0;            //!< highest [°C]
  SolventValue BoilingPoint;        //!< normal boiling point, 760 mmHg [°C]
  SolventValue MolecularWeight;     //!< [kg/kmol]
  SolventValue Density;             //!< [g/cm3]
  double DensityTemperature = 0;    //!< where the density was measured [°C]
  SolventValue SpecificHeat;        //!< liquid, 25 °C [kJ/kg.K]
  SolventValue HeatOfVaporization;  //!< 25 °C [kJ/kg]
  SolventValue Diffusivity;         //!< in air, 25 °C, 1 atm [m2/s]
  SolventValue Lel;                 //!< lower explosive limit in air [vol %]
  bool Flammable = true;            //!< false where the library says "none" for the LEL
  SolventValue FlashPoint;          //!< closed cup [°C]
  std::string Library;              //!< the file the entry comes from
};

//! The largest library file read [bytes]: a file beyond it is refused unread (a library of
//! 100,000 solvents takes some 25 MB).
inline constexpr std::size_t kSolventLibraryByteLimit = 64 << 20;

//! The entries of the library in force: the shipped ones, then the user's, a later entry of
//! the same name (in any case) replacing an earlier one. Names are found through an index.
class SolventLibrary {
 public:
  explicit SolventLibrary(std::vector<Solvent> entries = {});
  //! Adds the entries of another file, replacing those of the same name.
  void Add(std::vector<Solvent> entries);
  //! Notes a user's library that did not read: why, naming its file and line.
  void AddUnread(const Error& why) { unread_.push_back(why); }

  //! The entry of that name in any mix of upper and lower case, or nullptr.
  const Solvent* Find(std::string_view name) const;
  const std::vector<Solvent>& Entries() const { return entries_; }
  //! The files read, the shipped library first.
  const std::vector<std::string>& Files() const { return files_; }
  //! The user's libraries that did not read: a warning for a command that chooses no solvent,
  //! a refusal for one that does.
  const std::vector<Error>& Unread() const { return unread_; }
  //! One warning a library that did not read: its text, its file and line.
  std::vector<std::string> UnreadWarnings() const;

 private:
  std::vector<Solvent> entries_;
  std::unordered_map<std::string, std::size_t> index_;  //!< by the name in lower case
  std::vector<std::string> files_;
  std::vector<Error> unread_;
};

//! Reads a library in the CSV form of data/solvents.csv (header line naming the columns, "#"
//! lines and empty lines skipped, numbers with ".", a UTF-8 byte-order mark passed over).
//! Throws quillmere::Error (InputRefused) naming the file, the line and the column of a value
//! that does not read or is out of range (an LEL outside (0, 100] %, a heat of vaporization,
//! specific heat, density, diffusion coefficient or molecular weight not above 0), and a
//! solvent named as the pair as specified is.
std::vector<Solvent> ParseSolventLibrary(std::string_view text, std::string_view fileName);

//! The library shipped with the program (data/solvents.csv as built in).
std::vector<Solvent> ShippedSolvents();

//! Where the user's own solvents are looked for: $XDG_DATA_HOME/quillmere/solvents.csv, or
//! ~/.local/share/quillmere/solvents.csv where XDG_DATA_HOME is not set; "" without a home.
std::string UserSolventFile();

//! The shipped library, the user's file where it exists, and `extraFile` (which must exist)
//! last. Throws quillmere::Error (File) when `extraFile` cannot be read, (InputRefused) when it
//! is not a correct library or is larger than kSolventLibraryByteLimit. The user's file in the
//! data folder that does not read is noted in Unread() instead: the library is then the
//! shipped one and `extraFile`.
SolventLibrary LoadSolventLibrary(const std::optional<std::string>& extraFile = std::nullopt);

//! The field names of solvent `number` (1 or 2) in the order of the echo: specific heat, heat
//! of vaporization, diffusion coefficient, Antoine A, B, C, density, molecular weight.
std::array<std::string, 8> SolventFieldNames(int number);

//! The name field of solvent `number` ("Solvent1Name").
std::string SolventNameField(int number);

//! Makes `solvent` (nullptr: the pair as specified) Solvent-`number`: its name into the name
//! field and its fixed constants (Antoine A, B, C, molecular weight) into their fields; with
//! `properties` also its specific heat, heat of vaporization, diffusion coefficient and
//! density (a property the library lacks leaves its field as it is). Numbers are written with
//! `decimalSeparator`.
void ApplySolventChoice(FieldTexts& fields, int number, const Solvent* solvent,
                        char decimalSeparator, bool properties);

//! Puts the fixed constants of the solvents that the name fields name into their fields, as a
//! data file that names them needs (its lines give the other properties). Throws
//! quillmere::Error (InputRefused) for a name the library lacks, with the closest names, and
//! for a name chosen while a user's library did not read (it may be the one meant).
void ApplySolventNames(const SolventLibrary& library, FieldTexts& fields, char decimalSeparator);

//! The entry that tells the plant figures about Solvent-`number`: the chosen one, or for the
//! pair as specified the library's solvent it matches (MEK for Solvent-1, toluene for
//! Solvent-2); nullptr when the library lacks it.
const Solvent* SafetyEntry(const SolventLibrary& library, const FieldTexts& fields, int number);

//! The source column's word for a value recalled but not yet checked against a printed source.
inline constexpr std::string_view kUnconfirmedSource = "unconfirmed";

//! One warning for each property of a chosen solvent whose field holds the library's value as
//! written there (with either decimal separator) while that value's source is
//! kUnconfirmedSource: the solvent, the property, its value and field, and that a value of the
//! user's own may be given. A value the user typed over the library's gives none.
std::vector<std::string> UnconfirmedValueWarnings(const SolventLibrary& library,
                                                  const FieldTexts& fields);

//! The column of the first property a run takes from the library that `solvent` lacks
//! (specific heat, heat of vaporization, diffusion coefficient, density), or "" when it has
//! them all.
std::string_view MissingRunProperty(const Solvent& solvent);

//! Throws quillmere::Error (InputRefused) naming Solvent-`number`, the solvent and the missing
//! column when MissingRunProperty finds one: a chosen solvent gives a run all its properties.
void RequireRunProperties(const Solvent& solvent, int number);

//! The library's solvents closest to a name that is none, closest first.
std::vector<std::string> ClosestSolventNames(const SolventLibrary& library, std::string_view name,
                                             std::size_t count = 3);

}  // namespace quillmere

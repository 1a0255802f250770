// The two listing styles and the one place that picks the decoder for each.
//   Classic:  the 207-token vocabulary; tokens outside it show as markers.
//   Complete: every token of AMOS 1.3, AMOS Professional and the standard
//             extensions, written as the AMOS editor writes them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "amos_loader.h"
#include "listing_host.h"
#include "listing_state.h"

namespace zarvex {

enum class ListingStyle { Classic, Complete };

// "classic" / "complete": the names kept in settings.
std::string_view styleName(ListingStyle style);
// The style with that name, or nothing.
std::optional<ListingStyle> styleNamed(std::string_view name);

// Loads the program at `path` and lists it in `style`. Classic is
// LoadAmosFile. Complete takes the same first steps (size check, read) and
// refuses a file that does not start like an AMOS program with RuntimeError
// 321 before anything changes, title included.
LoadResult LoadListing(const std::string& path, ListingState& state, ListingHost& host, ListingStyle style,
                       MorvaneImports& imports = MorvaneImports::program());

// Lists the file `bytes`, read already (a member of a disk image or an
// archive), named `name`: the same size check, title and refusal as a load
// from a path, with no file system involved.
LoadResult ListFileBytes(const std::string& name, std::span<const std::uint8_t> bytes, ListingState& state,
                         ListingHost& host, ListingStyle style, MorvaneImports& imports = MorvaneImports::program());

// The same for a file read already as an image laid out as a load leaves it
// (its bytes and one zero byte after them), which becomes the state's own:
// no copy. An image not laid out so is refused with RuntimeError 75.
LoadResult ListFileImage(const std::string& name, std::vector<std::uint8_t> image, ListingState& state,
                         ListingHost& host, ListingStyle style, MorvaneImports& imports = MorvaneImports::program());

// Lists the file image already in `state` again, in `style`: no new read.
// `fileName` names the file in a refusal.
LoadResult DecodeListing(ListingState& state, ListingHost& host, ListingStyle style, const std::string& fileName = {},
                         MorvaneImports& imports = MorvaneImports::program());

}  // namespace zarvex

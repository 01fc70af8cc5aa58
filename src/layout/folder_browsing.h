// What the card-folder browser of the handicap dialog needs from the file
// system: the places a user starts from (the filesystem root, the home
// folder and the mounted volumes, shown where a drive list would be), the
// way up one level, and the search for the folder holding the newest card
// file. Reads the file system only; any thread, though the search calls its
// callback on the caller's thread.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace stridewell {

// The browser's starting places: "/" first, then `home` (when not empty and
// not "/"), then the mount points of `mountsText` (the format of
// /proc/self/mounts) that hold a device file system under /media, /mnt or
// /run/media, in the order listed, each once.
std::vector<std::string> startingPlacesFrom(std::string_view mountsText, const std::string& home);
// The same for this machine.
std::vector<std::string> startingPlaces();

// The index of the place that holds `folder` (the longest that is the folder
// itself or one of its parents); 0 (the root) when none does.
int placeHolding(const std::vector<std::string>& places, const std::string& folder);

// The folder above `folder` ("/a/b" and "/a/b/" give "/a"; "/a" gives "/");
// empty for "/" itself or a relative path without a parent.
std::string parentFolder(const std::string& folder);

// The folder a browser shows for `folder`: the folder itself, or when it
// has gone since it was last shown, its nearest parent that is left; "/"
// for an empty text.
std::string nearestExistingFolder(const std::string& folder);

// What a path typed or pasted into a browser's "Path" box stands for.
struct TypedPath {
  std::string folder;    // the folder to show; empty when there is none (see problem)
  std::string fileName;  // the card or results file named, as its folder lists it
                         // (ABC1234.TCF also for ABC1234M.ZIP); empty for a folder
  std::string problem;   // why nothing can be shown, naming the path; empty when all is well
};

// Resolves `text`: a folder, or a card or results file (plain or in its
// archive), given absolutely, relative to `shownFolder`, from "~" (`home`),
// as a file:// URL or in quotes (as file managers and shells copy paths).
// The folder must exist and be readable, and so must a file. Blanks around
// the text are dropped; an empty text gives nothing and no problem.
TypedPath resolveTypedPath(std::string_view text, const std::string& shownFolder, const std::string& home);

struct NewestCardSearch {
  std::string folder;  // the folder of the newest card file; empty when none was found
  bool cancelled = false;
};

// Walks `root` and every folder below it that is not hidden (a name
// starting with '.'), for the card file (or card archive) written last; on a
// tie the first one found wins. Stays on the file system of `root` and does
// not follow links to folders, so that a walk from "/" ends and never runs
// in circles. `keepGoing` is called every eighth entry; when it answers
// false the walk stops at once and the result says cancelled.
NewestCardSearch findNewestCardFolder(const std::string& root, const std::function<bool()>& keepGoing);

}  // namespace stridewell

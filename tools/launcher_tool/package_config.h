#pragma once
// Changing the launcher configuration (config.xml) inside a built
// launcher: the embedded package is a RAR 2.9 archive of stored entries,
// so config.xml lies in the file as it is, and a change of the same length
// is written in place with the entry's checksums. The shipped config.xml
// keeps room for it: <publisherKeys> holds white space for two keys.

#include "update/publisher_signature.h"

#include <string>
#include <vector>

// Writes `keys` (none empties the element) into the publisherKeys element
// of the embedded config.xml of `image`. False, with the image unchanged,
// when there is no such package, entry or element, or the keys do not fit.
bool SetEmbeddedPublisherKeys(std::string& image, const std::vector<PublisherKey>& keys, std::string& error);


#pragma once
// Request frames built independently of the program's codec, to compare the bytes the
// simulator received against.

#include <cstddef>
#include <string>
#include <vector>

// CRC-8 computed bit by bit, independent of the table the program uses.
unsigned char ReferenceCrc(const std::vector<unsigned char> &bytes);
// The hex text of a whole request (header and data) as the simulator reports it.
std::string ReferenceRequest(unsigned char order, unsigned short address, const std::vector<unsigned char> &data = {});
std::vector<unsigned char> BytesOf(const void *p, std::size_t n);

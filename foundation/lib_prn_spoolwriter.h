// Builds spool files of both Windows families from page metafiles, as the spooler lays them out:
// fixtures for the reader's tests and the output of the stand-in spooler.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/lib_prn_spool.h"

// NT EMF spool file (MS-EMFSPOOL): a header record with the document and output device names,
// then records of an 8-byte head (type, size of the data) whose data is padded to 4 bytes.
class TEmfSpoolWriter {
 public:
  explicit TEmfSpoolWriter(std::u16string_view documentName = {}, std::u16string_view outputDevice = {});

  // Any record; its data is padded with zeros to a multiple of 4 bytes, and the size says so.
  void AddRecord(uint32_t type, std::span<const uint8_t> data);
  void AddDevMode(std::span<const uint8_t> devMode) { AddRecord(EMRI_DEVMODE, devMode); }
  // One page as the NT 5 spooler writes it: the metafile in an EMRI_METAFILE_DATA record, then an
  // EMRI_METAFILE_EXT record holding the 64-bit distance back to it.
  void AddPage(std::span<const uint8_t> metafile);

  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

// 9x spool file: the 8-byte signature, then records whose 32-bit size includes their 8-byte head.
// Pages are not held in the file: each page record names a metafile file of its own.
class T9xSpoolWriter {
 public:
  T9xSpoolWriter();  // the signature and the start-of-document record

  void AddRecord(uint32_t type, std::span<const uint8_t> data);
  // Start of page, the page record with the NUL-terminated 8-bit file name, end of page.
  void AddPage(std::string_view metafileName);
  void EndDocument() { AddRecord(SPL9X_END_DOC, {}); }

  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

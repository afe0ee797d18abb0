#pragma once

// Common base of the build's list elements.
class CRecordBase {
 public:
  CRecordBase() = default;
  CRecordBase(const CRecordBase&) = default;
  CRecordBase& operator=(const CRecordBase&) = default;
  virtual ~CRecordBase() = default;
};

#include "CriticalSection.h"

TCriticalSection::TCriticalSection() { InitializeCriticalSection(&section_); }

TCriticalSection::~TCriticalSection() { DeleteCriticalSection(&section_); }

void TCriticalSection::Enter() { EnterCriticalSection(&section_); }

void TCriticalSection::Leave() { LeaveCriticalSection(&section_); }

// This file held temporary placeholders for the large-order routines; all
// of them now have their own files (zbuni, zuni1, zuni2, zbunk, zunk1,
// zunk2, zunik, zunhj, zairy, zacai, zuoik).

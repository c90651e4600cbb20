/* Built twice: as a library that is then out of the loader's reach, and as a
   module that needs it, which therefore cannot load. */
int LevycAbsent(void);
#ifdef LEVYC_NEEDS_ABSENT
int LevycNeedsAbsent(void);
int LevycNeedsAbsent(void)
{
    return LevycAbsent();
}
#else
int LevycAbsent(void)
{
    return 1;
}
#endif

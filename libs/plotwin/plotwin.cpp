// plotwin: placeholder until the library lands.

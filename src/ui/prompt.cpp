// prompt

// fatal
